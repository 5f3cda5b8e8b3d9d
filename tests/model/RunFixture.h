#pragma once
// The one run fixture of the model's tests: a project built from a script (ProjectScript.h) and
// attached to the interpreter, the stitch simulation or the program test, started and stepped to
// the end under a step limit, its trace lines taken as `lsttool run` prints them.

#include "model/UGtstEng.h"
#include "model/UGtstTrace.h"
#include "model/UProject.h"
#include "model/UPtestRun.h"
#include "model/UseqTrace.h"
#include "model/Usequencer.h"
#include "tests/support/ProjectScript.h"
#include "tests/support/TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>

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

// Knit, rib, transfer to the rear: " 1:1 " on the front with carrier 1, a full row over it, then a
// transfer of every stitch to the rear and a row knitted there.
inline constexpr char RibProgram[] = R"(
machine 712 5
C area=1..11 L1=-3 R1=3
picture 10x10
Z1 cam1=1:1 cam3=A cam4=A yc1=1 rack1=0:G
Z2 cam1=RR cam3=A cam4=A yc1=1
Z3 cam1=JURR cam2=JNRR cam4=RR yc2=1 rack1=0:U2
S1 Z=1+2 D1
)";

// A project built from a script, owned by the run that is attached to it.
struct ScriptProject {
    std::unique_ptr<MMemoryProject> Project;
    explicit ScriptProject(const QString& Script) : Project(BuildProject(Script)) {}
};

// Steps while the registers' run is not finished, at most Steps times; Step(k) makes the k-th step.
// Returns the steps made.
template <typename F>
long long StepToEnd(const MRegisters& Regs, long long Steps, F Step) {
    long long k = 0;
    while (!Regs.Finished && k < Steps)
        Step(++k);
    return k;
}

// The interpreter alone.
struct SeqRun : ScriptProject {
    MprogramSequencer Sequencer;
    QStringList Lines; // start, starts, the steps, end

    explicit SeqRun(const QString& Script) : ScriptProject(Script) { Sequencer.SetProject(Project.get()); }

    // Starts and steps until the run is finished or Steps steps were made.
    QStringList& Run(long long Steps = 1000) {
        Sequencer.StepLimit = Steps;
        Lines << seqtrace::StartLine(Sequencer, Sequencer.StartProgram());
        Lines << seqtrace::StartsLine(Project->Lists.C.GetC(1));
        const long long k = StepToEnd(Sequencer.Regs, Steps, [this](long long K) {
            const int r = Sequencer.StepSystem();
            Lines << seqtrace::StepLine(Sequencer, K, r);
        });
        Lines << seqtrace::EndLine(Sequencer, k);
        return Lines;
    }
};

// The stitch simulation: each step gives its result, the engine's fields and, on request, the four
// bed lines.
struct EngineRun : ScriptProject {
    MGtestEngine Engine;

    explicit EngineRun(const QString& Script) : ScriptProject(Script) { Engine.SetProject(Project.get()); }

    int Reset() { return Engine.ResetTest(); }

    // One step: "<result> <fields>".
    QString Step() {
        const int r = Engine.StepTest();
        return QString::number(r) + QLatin1Char(' ') + gtsttrace::StepFields(Engine);
    }

    // Steps until the run is finished (at most Steps), one line per step.
    QStringList Run(int Steps = 1000) {
        QStringList lines;
        StepToEnd(Engine.Sequencer.Regs, Steps, [&](long long) { lines << Step(); });
        return lines;
    }

    // The trace `lsttool run` prints after its machine line: start, starts, the steps (with the
    // bed lines when Beds), end.
    QStringList Trace(bool Beds = false, long long Steps = 1000) {
        QStringList lines;
        gtsttrace::RunTrace(Engine, Steps, Beds, [&lines](const QString& Line) { lines << Line; });
        return lines;
    }

    // The whole bed: action beds in decimal, stitch beds in hexadecimal.
    QString Act(int Side) const { return gtsttrace::RunLength(Engine.ActionBeds[std::size_t(Side)], false); }
    QString Stitches(int Index) const {
        return gtsttrace::RunLength(Engine.StitchBeds[std::size_t(Index)], true);
    }
};

// The program test over the stitch simulation, as the window and `lsttool test` run it.
struct TestRun : EngineRun {
    MGtestProgramEngine Adapter{Engine};
    MProgramTestRun Test{*Project, Adapter};

    explicit TestRun(const QString& Script, long long Steps = 1000) : EngineRun(Script) {
        Engine.Sequencer.StepLimit = Steps;
        Test.Pump = [this, Steps] {
            if (!Test.Finished() && Test.Steps() >= Steps)
                Test.RequestStop();
        };
    }

    // The whole test; the findings as "<id or code/subcode> <args> <kind> <number>".
    QStringList Findings() {
        Test.StartProgramTest();
        return FindingLines(Test);
    }

    static QStringList FindingLines(const MProgramTestRun& Test) {
        QStringList lines;
        for (const MPtFinding& f : Test.Findings())
            lines << QStringLiteral("%1 %2 %3 %4")
                         .arg(f.Error.Code == PTErrorCode
                                  ? QString::number(f.Error.SubCode)
                                  : QStringLiteral("%1/%2").arg(f.Error.Code).arg(f.Error.SubCode),
                              f.Error.Args.isEmpty() ? QStringLiteral("-") : f.Error.Args)
                         .arg(f.Error.ListKind)
                         .arg(f.Error.Number);
        return lines;
    }
};

#ifdef LSTTOOL_PATH
// Runs the lsttool of the build with the arguments.
inline ToolResult RunLstTool(const QStringList& Args) {
    return RunTool(QStringLiteral(LSTTOOL_PATH), Args);
}
#endif

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
