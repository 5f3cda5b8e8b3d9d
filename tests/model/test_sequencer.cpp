#include "SeqRun.h"
#include <gtest/gtest.h>
#include <cstdio>
using kdstest::SeqRun;

static const char* C = R"(
machine 708 5
C area=1..101 L1=-5,-5 R1=5,5
picture 100x10 fill=0
N1 X=1+99 D1
P1 yc=1 mode=4 clrL=1
P2 yc=2 mode=4 clrL=2
Z1 cam1=JR LG1=1,2 ZT1=1 cam2=JA ZT2=1 yc1=1,2
Z2 cam1=JR LG1=1,2 ZT1=1 cam2=JA ZT2=1 yc1=1,2
S1 Z=1+1 D1 N=1+0 P=1+1
)";

static void DumpC(int split) {
    SeqRun run(QString::fromUtf8(C));
    MMemoryProject& p = *run.Project;
    for (int x = 0; x < 100; ++x)
        p.Picture.SetPixel(x, 9, p.Colors.Color(x < split ? 1 : x < 70 && split == 30 ? 0 : 2));
    for (const QString& l : run.Run()) std::printf("%s\n", qPrintable(l));
}
TEST(Dump, C) { DumpC(30); }
TEST(Dump, C2) { DumpC(40); }
