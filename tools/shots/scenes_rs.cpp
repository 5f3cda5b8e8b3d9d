// Scenes of the R and S editors: the repeat and scheme-process lists over the sample project or the
// program of a machine file, with a few rows, one of them selected and one focused.

#include "tools/shots/ListScene.h"

#include "editors/RRPanel_m.h"
#include "editors/RSPanel_m.h"

using shots::ListWindow;
using shots::MakeListScene;

namespace {
template <int Systems>
MRContainerPanel* MakeR(ListWindow* W) {
    return new MRRContainerPanel(W, Systems, W);
}
} // namespace

KDS_SHOT_SCENE("r", "The R list on a 745: repeat rows of two cam systems with signed offsets per bed, D and "
                    "W counters, the second selected") {
    return MakeListScene(ctx, MakeR<2>, lkR, 601);
}

KDS_SHOT_SCENE("r-720", "The R list on a 720: four cam systems, the rightmost the first") {
    return MakeListScene(ctx, MakeR<4>, lkR, 200, 720);
}

KDS_SHOT_SCENE("s", "The S list: Z ranges with their N and P ranges and offsets, S cycles without them, D, W "
                    "and R counters") {
    return MakeListScene(
        ctx, [](ListWindow* W) -> MRContainerPanel* { return new MRSContainerPanel(W, W); }, lkS, 200);
}
