#pragma once
// Runs a project through the interpreter as `lsttool run` does and gives the trace lines, so that a
// test compares a whole run with a table.

#include "model/UProject.h"
#include "model/UseqTrace.h"
#include "model/Usequencer.h"
#include "tests/support/ProjectScript.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>

#include <memory>

// Test failures show texts as text.
inline void PrintTo(const QString& Text, std::ostream* Stream) {
    *Stream << '"' << Text.toStdString() << '"';
}

namespace kdstest {

// Plain knitting on two systems, three passes of a block: carrier 3 of rail 1 crosses the bed in the
// first system of every row and stands still in the second.
inline constexpr char PlainProgram[] = R"(
machine 712 5
C area=1..101 L1=0,0,-10 R1=0,0,10
picture 100x20
Z1 cam1=RR cam2=A cam3=A cam4=A yc1=3 rack1=0:G
Z2 cam1=RR cam2=A cam3=A cam4=A yc1=3 rack1=0:G
S1 Z=1+1 D3
)";

// Two motifs chosen by MF entries: carrier 1 knits the needles of colour 1 and carrier 2 those of
// colour 2 of pattern line 1 (see PaintMotifs), each turning 5 needles past them.
inline constexpr char MotifProgram[] = R"(
machine 708 5
C area=1..101 L1=-5,-5 R1=5,5
picture 100x10 fill=0
N1 X=1+99 D1
P1 yc=1 mode=4 clrL=1
P2 yc=2 mode=4 clrL=2
Z1 cam1=JR LG1=1,2 ZT1=1 cam2=JA ZT2=1 yc1=1,2
Z2 cam1=JR LG1=1,2 ZT1=1 cam2=JA ZT2=1 yc1=1,2
S1 Z=1+1 D1 N=1+0 P=1+1
)";

// Pattern line 1 (the picture's bottom row) of a 100-column picture: colour 1 on columns 1..A,
// colour 0 up to column B, colour 2 from there on.
inline void PaintMotifs(MMemoryProject& Project, int A = 30, int B = 70) {
    for (int x = 0; x < 100; ++x)
        Project.Picture.SetPixel(x, Project.Picture.Height - 1,
                                 Project.Colors.Color(x < A   ? 1
                                                      : x < B ? 0
                                                              : 2));
}

struct SeqRun {
    std::unique_ptr<MMemoryProject> Project;
    MprogramSequencer Sequencer;
    QStringList Lines; // start, starts, the steps, end

    explicit SeqRun(const QString& Script) : Project(BuildProject(Script)) {
        Sequencer.SetProject(Project.get());
    }

    // Starts and steps until the run is finished or Steps steps were made.
    QStringList& Run(long long Steps = 1000) {
        Sequencer.StepLimit = Steps;
        Lines << seqtrace::StartLine(Sequencer, Sequencer.StartProgram());
        Lines << seqtrace::StartsLine(Project->Lists.C.GetC(1));
        long long k = 0;
        while (!Sequencer.Regs.Finished && k < Steps) {
            const int r = Sequencer.StepSystem();
            Lines << seqtrace::StepLine(Sequencer, ++k, r);
        }
        Lines << seqtrace::EndLine(Sequencer, k);
        return Lines;
    }
};

// Compares a trace with its expected lines, line by line.
inline void ExpectTrace(const QStringList& Actual, std::initializer_list<const char*> Expected) {
    int i = 0;
    for (const char* line : Expected) {
        if (i >= Actual.size()) {
            ADD_FAILURE() << "the trace ends before line " << i + 1 << ": " << line;
            return;
        }
        EXPECT_EQ(Actual[i].toStdString(), std::string(line)) << "line " << i + 1;
        ++i;
    }
    EXPECT_EQ(Actual.size(), i) << "the trace goes on: " << Actual.value(i).toStdString();
}

// The values of one field ("z") over the lines of a trace that have it.
inline QStringList Field(const QStringList& Lines, const QString& Key) {
    QStringList values;
    const QString prefix = Key + QLatin1Char('=');
    for (const QString& line : Lines)
        for (const QString& token : line.split(QLatin1Char(' ')))
            if (token.startsWith(prefix))
                values << token.mid(prefix.size());
    return values;
}

} // namespace kdstest
