// The Z rows of the test benchmarks' programs: every row knits the front in all four systems, carrier 1
// crossing the bed in system 1 and carrier 2 in system 2.
#pragma once

#include "model/UCamCodes.h"
#include "model/UProject.h"
#include "model/Ucommon.h"

#include <cstddef>

namespace kdsbench {

// Stores Z 1..Rows in the project, each finished by More before it is stored.
template <typename Extra>
void AddCrossingRows(MMemoryProject& Project, int Rows, Extra More) {
    MSwitchGuard noValidation(ListsAutoValidate, false);
    MUnvZ z;
    for (int r = 1; r <= Rows; ++r) {
        z.Clear();
        z.Number = r;
        for (int s = 0; s < 4; ++s) {
            z.CamCode[std::size_t(2 * s)] = camRR;
            z.CamCode[std::size_t(2 * s + 1)] = camA;
        }
        z.Carriers[0].SetBit(0, 1);
        z.Carriers[1].SetBit(1, 1);
        z.Racking[0].Transfer = 1;
        More(z);
        Project.Lists.Z.AddOrReplace(z);
    }
}

} // namespace kdsbench
