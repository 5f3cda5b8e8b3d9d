// Scenes of the FD and FS editors: the dynamic and static stitch-length lists over the sample project
// (or the program of a machine file), one column per cam system on the 745 and 720, doubled for FS on
// the 745 and 708; the second row selected, the first focused.

#include "tools/shots/ListScene.h"

#include "editors/RFDPanel_m.h"
#include "editors/RFSPanel_m.h"

using shots::ListWindow;
using shots::MakeListScene;

namespace {

MRContainerPanel* MakeFD(ListWindow* W) {
    const MMachineInfo& machine = W->Project.Lists.Machine;
    return new MRFDContainerPanel(W, machine.Category, machine.Model, W);
}

MRContainerPanel* MakeFS(ListWindow* W) {
    const MMachineInfo& machine = W->Project.Lists.Machine;
    return new MRFSContainerPanel(W, machine.Category, machine.Model, W);
}

} // namespace

KDS_SHOT_SCENE("fd", "The FD list on a 745: FE ranges of both cam systems, forwards on the rear beds and "
                     "backwards on the front ones, the second selected, the first focused") {
    return MakeListScene(ctx, MakeFD, lkFD, 100);
}

KDS_SHOT_SCENE("fs", "The FS list on a 745: counters of both groups in four columns, direct values and W "
                     "counters in blue, the second selected, the first focused") {
    return MakeListScene(ctx, MakeFS, lkFS, 200);
}

KDS_SHOT_SCENE("fd-720", "The FD list on a 720: four cam systems shown as two columns") {
    return MakeListScene(ctx, MakeFD, lkFD, 100, 720);
}

KDS_SHOT_SCENE("fs-708", "The FS list on a 708: one cam system shown as two columns per group") {
    return MakeListScene(ctx, MakeFS, lkFS, 200, 708);
}
