// The stitch simulation: needle states from the cams, the net rear, yarn carriers knitting along
// their paths, completed courses, transfers across the racking, and what bad input gives.
#include "EngineRun.h"

#include <gtest/gtest.h>

using kdstest::EngineRun;

namespace {
const char* const ProgramE = R"(
machine 712 5
C area=1..11 L1=-3 R1=3
picture 10x10
Z1 cam1=1:1 cam3=A cam4=A yc1=1 rack1=0:G
Z2 cam1=RR cam3=A cam4=A yc1=1
Z3 cam1=JURR cam2=JNRR cam4=RR yc2=1 rack1=0:U2
S1 Z=1+2 D1
)";
} // namespace

TEST(StitchSimulation, Explore) {
    EngineRun run(QString::fromLatin1(ProgramE));
    EXPECT_EQ(run.Reset(), 3);
    for (int k = 0; k < 7; ++k) {
        const QString line = run.Step();
        printf("%s\n  %s\n  %s\n  %s\n  %s\n  c2 %s\n  c3 %s\n", qPrintable(line), qPrintable(run.Act(0)),
               qPrintable(run.Act(1)), qPrintable(run.Stitches(0)), qPrintable(run.Stitches(1)),
               qPrintable(run.Stitches(2)), qPrintable(run.Stitches(3)));
    }
}
