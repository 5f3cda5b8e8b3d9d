// Scenes of the P and FE editors: the yarn-carrier position and stitch-length change lists over the
// sample project or the program of a machine file, the second row selected, the first focused.

#include "tools/shots/ListScene.h"
#include "tools/shots/Popups.h"

#include "editors/MRHints.h"
#include "editors/RFEPanel_m.h"
#include "editors/RPPanel_m.h"

using shots::ListWindow;
using shots::MakeListScene;

KDS_SHOT_SCENE("p", "The P list: carrier stroke limits by needles (SY1) and by colours (VB, MF), the second "
                    "selected, the first focused") {
    return MakeListScene(
        ctx,
        [](ListWindow* W) -> MRContainerPanel* { return new MRPContainerPanel(W, &W->Project.Palette(), W); },
        lkP, 200);
}

KDS_SHOT_SCENE("fe", "The FE list: stitch-length changes with negative differences and offsets, the "
                     "second selected, the first focused") {
    return MakeListScene(
        ctx,
        [](ListWindow* W) -> MRContainerPanel* {
            return new MRFEContainerPanel(W, &W->Project.Palette(), W);
        },
        lkFE, 200);
}

KDS_SHOT_SCENE("p-hint", "The P list with the mode help of nine lines open over the first row's mode cell") {
    auto w = MakeListScene(
        ctx,
        [](ListWindow* W) -> MRContainerPanel* { return new MRPContainerPanel(W, &W->Project.Palette(), W); },
        lkP, 100);
    ctx.AfterShow = [focus = ctx.AfterShow](QWidget* Widget) {
        focus(Widget);
        QWidget* cell = static_cast<ListWindow*>(Widget)->Container->Rows()[0]->FindCell(100);
        InstallHintWindow(1, 10, 1, 1);
        SetHintDelays(50, 60000);
        ApplicationHintWindow()->ActivateHint(cell, cell->mapToGlobal(QPoint(10, 12)));
    };
    ctx.Grab = [](QWidget* Widget) {
        MRHintWindow* h = ApplicationHintWindow();
        const QImage image = shots::GrabWithPopup(Widget, h, h->mask());
        h->ReleaseHint();
        return image;
    };
    return w;
}
