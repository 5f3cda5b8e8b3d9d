#pragma once
// Runs a project through the interpreter as `lsttool run` does and gives the trace lines, so that a
// test compares a whole run with a table.

#include "model/UProject.h"
#include "model/UseqTrace.h"
#include "model/Usequencer.h"
#include "tests/support/ProjectScript.h"

#include <QStringList>

#include <memory>

namespace kdstest {

struct SeqRun {
    std::unique_ptr<MMemoryProject> Project;
    MprogramSequencer Sequencer;
    QStringList Lines; // start, starts, the steps, end

    explicit SeqRun(const QString& Script) : Project(BuildProject(Script)) { Sequencer.SetProject(Project.get()); }

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

// The lines of a trace that contain every one of the given fields, in order ("z=1 sys=1").
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
