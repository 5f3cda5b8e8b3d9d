#pragma once
// Runs a project through the stitch simulation as `lsttool run` does: each step gives its result,
// the engine's fields and, on request, the four bed lines, so that a test compares whole steps.

#include "SeqRun.h"
#include "model/UGtstEng.h"
#include "model/UGtstTrace.h"

#include <QStringList>

#include <memory>

namespace kdstest {

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

struct EngineRun {
    std::unique_ptr<MMemoryProject> Project;
    MGtestEngine Engine;

    explicit EngineRun(const QString& Script) : Project(BuildProject(Script)) {
        Engine.SetProject(Project.get());
    }

    int Reset() { return Engine.ResetTest(); }

    // One step: "<result> <fields>".
    QString Step() {
        const int r = Engine.StepTest();
        return QString::number(r) + QLatin1Char(' ') + gtsttrace::StepFields(Engine);
    }

    // Steps until the run is finished (at most Steps), one line per step.
    QStringList Run(int Steps = 1000) {
        QStringList lines;
        for (int k = 0; k < Steps && !Engine.Sequencer.Regs.Finished; ++k)
            lines << Step();
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

} // namespace kdstest
