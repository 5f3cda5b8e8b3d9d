// Scenes of the P and FE editors: the yarn-carrier position and stitch-length change lists over the
// sample project or the program of a machine file, the second row selected, the first focused.

#include "tools/shots/ListScene.h"

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

KDS_SHOT_SCENE("fe", "The FE list: stitch-length changes with negative differences, steps and offsets, the "
                     "second selected, the first focused") {
    return MakeListScene(
        ctx,
        [](ListWindow* W) -> MRContainerPanel* {
            return new MRFEContainerPanel(W, &W->Project.Palette(), W);
        },
        lkFE, 200);
}
