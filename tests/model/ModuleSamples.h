#pragma once
// Modules with their fields filled, shared by the listing tests and the machine-file tool's tests.

#include "model/UunvF.h"

namespace kdstest {
// FE 4: a negative difference, start point 1, offset 5 and colours 1 and 3; listed as
// "FE0004 B-0012 S0003 N0040 A1 O+0005 Clrs101" followed by 29 zeros.
inline void FillSampleFE(MUnvFE& e) {
    e.Number = 4;
    e.Difference = -12;
    e.VerticalStep = 3;
    e.HorizontalStep = 40;
    e.StartPoint = 1;
    e.Offset = 5;
    e.Colors.SetBit(0, 1);
    e.Colors.SetBit(2, 1);
}
} // namespace kdstest
