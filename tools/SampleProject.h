#pragma once
// The built-in sample project of the command-line tools and the screenshots: a 745 machine with a
// few modules, or the program of a machine file.

#include "model/UProject.h"

#include <QString>

// Fills Project with the sample: W modules 1..12 (level k of W n is n x 10 + k), N modules 1..12
// of both types with signed counts and D and W counters.
void FillSampleProject(MMemoryProject& Project);
// Reads the program of a machine file into Project (errors pass on).
void LoadProjectFile(MMemoryProject& Project, const QString& Path);
