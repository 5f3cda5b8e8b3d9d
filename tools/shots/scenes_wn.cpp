// Scenes of the W and N editors: the selector-switch and needle-setup lists over the sample project
// or the program of a machine file, with a few rows, one of them selected and one focused.

#include "tools/shots/ListScene.h"

#include "editors/RNPanel_m.h"
#include "editors/RWPanel_m.h"

using shots::ListWindow;
using shots::MakeListScene;

KDS_SHOT_SCENE("w",
               "The W list: selector-switch rows of eight levels, the second selected, the first focused") {
    return MakeListScene(
        ctx, [](ListWindow* W) -> MRContainerPanel* { return new MRWContainerPanel(W, W); }, lkW, 300);
}

KDS_SHOT_SCENE("n", "The N list: needle-setup rows of both types and counters, the second selected") {
    return MakeListScene(
        ctx, [](ListWindow* W) -> MRContainerPanel* { return new MRNContainerPanel(W, W); }, lkN, 200);
}
