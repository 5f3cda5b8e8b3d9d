// Scenes of the graphic test: a two-colour program knitted for 40 Z rows, drawn as colour rows,
// with the carriers' paths, and as stitches, each with its control panel beside the window.

#include "Shots.h"
#include "WindowFrame.h"
#include "app/UGTCtrl.h"
#include "app/UGtestWindow.h"
#include "tests/support/ProjectScript.h"
#include "ui/ScrollBitBtn_m.h"

#include <QPainter>

namespace {

// Stripes of two rows: carrier 1 on the front, then carrier 2 once on both beds and once on the
// front; 40 Z rows on 60 needles.
constexpr char Stripes[] = R"(
machine 712 5
C area=1..61 L1=-4,-4 R1=4,4
picture 60x10
Z1 cam1=RR cam3=A yc1=1 rack1=0:G
Z2 cam1=RR cam3=A yc1=1 rack1=0:G
Z3 cam1=RR cam2=RR yc1=2 rack1=0:G
Z4 cam1=RR cam3=A yc1=2 rack1=0:G
S1 Z=1+3 D10
)";

std::unique_ptr<MMemoryProject>& SceneProject() {
    static std::unique_ptr<MMemoryProject> project;
    return project;
}

std::unique_ptr<QWidget> GraphicTest(shots::Context& ctx, int View, int Style) {
    SceneProject() = kdstest::BuildProject(QString::fromLatin1(Stripes));
    auto w = std::make_unique<TGTWindow>();
    w->resize(520, 420);
    w->SetProject(SceneProject().get());
    w->NewTest();
    w->SetStitchMode(View);
    w->Engine().Style = Style;
    if (View == gvColor)
        w->SetPAmpFac(4);
    w->UpdateCaption();
    for (int row = 0; row < 40; ++row)
        w->NextZ();
    TFormGTControl& panel = w->Panel();
    panel.SetStyleCaptions();
    panel.scbtnStitchStyle->M_CaptionList().SetIndex(View == gvStitch ? 1 : 0);
    panel.scbtnGTstyle->M_CaptionList().SetIndex(Style - gsNormal);
    panel.ShowCarrierLabels();
    panel.ShowCarriage();
    panel.FinishMoves();
    TGTWindow* window = w.get();
    ctx.AfterShow = [window](QWidget*) {
        // The last fabric rows in view.
        window->Drawing().ScrollViewTo(1);
        window->RefreshView();
    };
    ctx.Grab = [window](QWidget*) {
        const QImage frame = shots::FramedWindow(window);
        // The panel in its own frame, so that its title is seen in either language.
        const QImage side = shots::FramedWindow(&window->Panel());
        QImage picture(frame.width() + 6 + side.width(), std::max(frame.height(), side.height()),
                       QImage::Format_RGB32);
        picture.fill(QColor(58, 110, 165));
        QPainter p(&picture);
        p.drawImage(0, 0, frame);
        p.drawImage(frame.width() + 6, 0, side);
        return picture;
    };
    (void)ctx;
    return w;
}

} // namespace

KDS_SHOT_SCENE("gtest-normal",
               "The graphic test after 40 Z rows of a two-colour program, drawn in the Normal "
               "colours at zoom 4, with its control panel") {
    return GraphicTest(ctx, gvColor, gsNormal);
}

KDS_SHOT_SCENE("gtest-yc", "The graphic test after 40 Z rows of a two-colour program with the carriers' "
                           "paths between the fabric lines, with its control panel") {
    return GraphicTest(ctx, gvColor, gsYC);
}

KDS_SHOT_SCENE("gtest-stitch", "The graphic test after 40 Z rows of a two-colour program drawn as stitches, "
                               "with its control panel") {
    return GraphicTest(ctx, gvStitch, gsNormal);
}
