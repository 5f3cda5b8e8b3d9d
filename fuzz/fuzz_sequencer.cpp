// Runs an arbitrary machine program file through the interpreter: read, attached to an in-memory
// project with a small fixed picture, started and stepped at most 2000 times with a step limit of
// 2000. Every call must return; nothing may raise once the project is attached.
//   build/fuzz/fuzz/fuzz_sequencer -timeout=10 CORPUS fuzz/seeds/sequencer
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
    MprogramSequencer sequencer;
    try {
        sequencer.SetProject(&project);
    } catch (const Exception&) {
        if (project.Lists.C.Contains(1))
            Fail("a project with a setup scheme was refused");
        return 0;
    }
    sequencer.StepLimit = StepLimit;
    try {
        if (sequencer.StartProgram() != srStarted)
            Fail("a start did not answer 3");
        for (int k = 0; k < StepLimit && !sequencer.Regs.Finished; ++k)
            sequencer.StepSystem();
        sequencer.RunStroke();
        sequencer.RunToEnd();
    } catch (...) {
        Fail("the interpreter raised to its caller");
    }
    if (sequencer.SettleSteps > StepLimit)
        Fail("the settling run passed its step limit");
    return 0;
}
