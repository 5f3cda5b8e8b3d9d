#pragma once
// The built-in sample project of the command-line tools and the screenshots: a 745 machine with a
// few modules, or the program of a machine file.

#include "model/UProject.h"

#include <QString>

// Fills Project with the sample: W modules 1..12 (level k of W n is n x 10 + k), N modules 1..12
// of both types with signed counts and D and W counters, P rows 1..6 by needles and by colours, FE
// rows 1..8 with negative differences and offsets, FD rows 1..4 over FE ranges both ways, FS rows
// 1..6 with direct values and W counters, Z rows 1..6 of both parities, R rows 1..6 with D and W
// counters and signed offsets, S lines 1..8 (Z ranges with N and P ranges, S cycles); the machine a 745, or
// another model (720: four cam systems).
void FillSampleProject(MMemoryProject& Project, int Model = 745);
// Reads the program of a machine file into Project (errors pass on).
void LoadProjectFile(MMemoryProject& Project, const QString& Path);
