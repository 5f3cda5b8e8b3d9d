// Runs an arbitrary machine program file through the stitch simulation and its interpreter: read,
// attached to an in-memory project with a small fixed picture, started and stepped at most 2000
// times with a step limit of 2000, in a drawing style and render side chosen by the input's length
// (so that every combination is reached). Every call must return; nothing may raise once the
// project is attached, and no bed may leave the working width.
//   build/fuzz/fuzz/fuzz_sequencer -timeout=60 CORPUS fuzz/seeds/sequencer
#include "model/UGtstEng.h"
#include "model/UProject.h"
#include "model/Usequencer.h"
#include "model/UunvDta.h"
#include "platform/Errors.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Fail(const char* What) {
    std::fprintf(stderr, "%s\n", What);
    std::abort();
}

constexpr int StepLimit = 2000;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    MMemoryProject project;
    try {
        ReadMachineFile(bytes, QStringLiteral("FUZZ_740e7.LST"), project.Lists.Machine,
                        project.Lists.Lists());
    } catch (const Exception&) {
        return 0;
    }
    // A fixed picture of three colour bands, so that pattern lines and colour modes find needles.
    project.NewPicture(40, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 40; ++x)
            project.Picture.SetPixel(x, y, project.Colors.Color((x / 7 + y) % 3));
    MGtestEngine engine;
    MprogramSequencer& sequencer = engine.Sequencer;
    try {
        engine.SetProject(&project);
    } catch (const Exception&) {
        if (project.Lists.C.Contains(1))
            Fail("a project with a setup scheme was refused");
        return 0;
    }
    // Styles 21..24, the stitch view, the two render sides and the two stitch sizes.
    engine.Style = gsNormal + std::int32_t(Size % 4);
    engine.View = (Size / 4) % 2 ? gvStitch : gvColor;
    engine.RenderSide = std::int32_t((Size / 8) % 2);
    engine.RowAdvance = (Size / 16) % 2 ? 10 : 14;
    sequencer.StepLimit = StepLimit;
    const auto checkBeds = [&] {
        const std::int32_t w = engine.Width();
        for (const MJacquardBed* bed :
             {&engine.StateBeds[0], &engine.StateBeds[1], &engine.ActionBeds[0], &engine.ActionBeds[1],
              &engine.StitchBeds[0], &engine.StitchBeds[1], &engine.NetBed})
            if (bed->Width() != w)
                Fail("a bed left the working width");
        for (const MJacquardBed* bed : {&engine.StitchBeds[2], &engine.StitchBeds[3]})
            if (bed->Width() != 0 && bed->Width() != w)
                Fail("a course copy is not a copy of a bed");
    };
    try {
        if (engine.ResetTest() != srStarted)
            Fail("a start did not answer 3");
        if (engine.Width() != sequencer.Width)
            Fail("the beds do not have the working width of the start");
        for (int k = 0; k < StepLimit && !sequencer.Regs.Finished; ++k) {
            engine.StepTest();
            checkBeds();
        }
        engine.StepTest();
        checkBeds();
        sequencer.RunStroke();
        sequencer.RunToEnd();
    } catch (...) {
        Fail("the simulation raised to its caller");
    }
    if (sequencer.SettleSteps > StepLimit)
        Fail("the settling run passed its step limit");
    return 0;
}
