// Small programs the program test runs, shared by its model and window tests.
#pragma once

namespace kdstest {

// Nothing for the test to find: transfer rows on the front of two systems, carrier 3 across the bed
// and back, three passes.
inline constexpr char CleanProgram[] = R"(
machine 712 5
C area=1..101 L1=0,0,-10 R1=0,0,10
picture 100x20
FS1 A=D5,D5,D5,D5 B=D5,D5,D5,D5
Z1 cam1=RR cam2=A cam3=A cam4=A yc1=3 rack1=0:G FSF=1 FSR=1 TZ=1 ST=1 WA2=1
Z2 cam1=RR cam2=A cam3=A cam4=A yc1=3 rack1=0:G FSF=1 FSR=1 TZ=1 ST=1 WA2=1
S1 Z=1+1 D3
)";

// Runs far past any step limit or wait of the tests: 16383 passes of a block (a count its own
// validation refuses, 5016/5).
inline constexpr char EndlessProgram[] = R"(
machine 708 5
C area=1..21 L1=-5 R1=5
picture 20x10
Z1 cam1=RR cam2=A yc1=1
Z2 cam1=RR cam2=A yc1=1
S1 Z=1+1 D16383
)";

} // namespace kdstest
