#pragma once
// The arguments of the program runs from the shell (lsttool run, and the program test and the
// graphic test verbs that follow it), and the run's files loaded through the model's loader of run
// files (UrunFiles) with the image library's picture reader.
//
//   FILE [PICTURE] [--blank WxH] [--palette JXW] [--steps N]
//        [--style normal|yc|jaquard|transfer|stitch] [--side front|rear] [--small] [--beds]
//
// PICTURE is read in any format the image library reads, as 24 bits; --blank gives a new picture of
// that size; the fallbacks of the picture and the palette are the loader's. N is the step limit
// (1000000). The stitch simulation draws in the style given (stitch: the stitch view in style
// Normal; the others the colour view), renders the side given, with small stitches, and prints its
// beds after every step.

#include "model/UGtstEng.h"
#include "model/UProject.h"
#include "model/UrunFiles.h"

#include <QString>
#include <QStringList>

#include <memory>

// Exit statuses shared by the run verbs.
constexpr int exitFinished = 0;  // the run finished
constexpr int exitCannotRun = 1; // the program cannot run (nothing printed on stdout)
constexpr int exitUsage = 2;
constexpr int exitStepLimit = 3; // the step limit was reached

constexpr long long DefaultShellSteps = 1000000;

// Why a run cannot start: the exit status and the text for stderr.
struct ShellRunError {
    int Status;
    QString Text;
};

struct ShellRun {
    QString File;
    std::unique_ptr<MMemoryProject> Project;
    long long Steps = DefaultShellSteps;
    QStringList Notes; // for stderr: what was taken in place of a missing picture or palette
    // The stitch simulation's settings.
    std::int32_t Style = gsNormal;
    std::int32_t View = gvColor;
    std::int32_t RenderSide = 0;
    std::int32_t RowAdvance = 14;
    bool Beds = false; // the four bed lines after every step
};

// Gives the engine the run's settings.
void ApplyShellRun(const ShellRun& Run, MGtestEngine& Engine);

// Reads the arguments that follow the verb and loads the run's files; raises ShellRunError (exitUsage,
// or exitCannotRun when a file cannot be had).
ShellRun LoadShellRun(const QStringList& Args);

// The lines of the usage text that describe these arguments.
QString ShellRunOptionsText();
