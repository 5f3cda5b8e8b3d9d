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
