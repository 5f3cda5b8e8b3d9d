// The program test window after a run over a program with a dozen faults, one finding selected.

#include "Shots.h"
#include "WindowFrame.h"
#include "app/UPtestWindow.h"
#include "tests/support/ProjectScript.h"
#include "ui/listbox_m.h"

namespace {

// Mixed and misplaced cams, a stitch value out of range, carriers meeting parked carriers and left
// away from their start, a Z row of no FS entry.
constexpr char Faulty[] = R"(
machine 712 5
C area=1..101 L1=-5,-5,-10 R1=5,5,10
picture 100x10 fill=0
N1 X=1+99 D1
P1 yc=1 mode=4 clrL=1
P2 yc=3 mode=4 clrL=0
FS1 A=D5,D5,D5,D5 B=D5,D5,D5,D5
FS2 A=D141,D5,D5,D5 B=D5,D5,D5,D5
Z1 cam1=JR LG1=1 ZT1=1 cam2=JA ZT2=1 yc1=1 cam3=RR ZT3=2 cam4=A yc2=3 rack1=0:G
Z2 cam1=JR LG1=1 ZT1=1 cam2=JA ZT2=1 yc1=1 cam3=RR ZT3=2 cam4=A yc2=3 rack1=0:G
Z3 cam1=JA cam3=JA cam4=JA yc1=2 rack1=0:G FSF=2
Z4 cam1=RR cam3=A yc1=2 yc2=4 rack1=1:G FSF=7
S1 Z=1+1 D1 N=1+0 P=1+1
S2 Z=3+1 D2
)";

std::unique_ptr<MMemoryProject>& SceneProject() {
    static std::unique_ptr<MMemoryProject> project;
    return project;
}

} // namespace

KDS_SHOT_SCENE("ptest", "The program test window after a run with a dozen findings, one selected") {
    SceneProject() = kdstest::BuildProject(QString::fromLatin1(Faulty));
    auto w = std::make_unique<TFormPTwindow>(*SceneProject());
    w->UpdateCaption();
    w->btnStartClick();
    if (w->OListBoxErrors->count() > 2)
        w->OListBoxErrors->setCurrentRow(2);
    TFormPTwindow* window = w.get();
    ctx.Grab = [window](QWidget*) { return shots::FramedWindow(window); };
    return w;
}
