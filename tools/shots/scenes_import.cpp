// The import window with three stripes and its stripe menu open, the fixed-program picker with a
// selection's colours, the rib-program picker, the stripe dialog dividing and the export window.

#include "Popups.h"
#include "Shots.h"
#include "WindowFrame.h"
#include "app/LBoardFr.h"
#include "app/UFormExport.h"
#include "app/UFormFixedProg.h"
#include "app/UFormImport.h"
#include "app/UFormImportModulePrperty.h"
#include "app/UFormRIBProg.h"
#include "app/UPrjContainer.h"
#include "editors/NumEdit_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/RadioButton_m.h"
#include "ui/checkbox_m.h"
#include "ui/combobox_m.h"
#include "ui/edit_m.h"
#include "ui/listbox_m.h"

namespace {

// A project of its own for a scene, freed with the scene's window.
TPrjContainer* SceneProject(QWidget* Window) {
    auto* c = new TPrjContainer(nullptr, Window);
    c->hide();
    c->SetProjectName(QStringLiteral("/home/knit/jacquard_740e7.JXW"));
    return c;
}

QImage Framed(QWidget* W) {
    return shots::FramedWindow(W);
}

} // namespace

KDS_SHOT_SCENE("import",
               "The import window with three stripes, the second selected, and its stripe menu open") {
    auto w = std::make_unique<TFormImport>();
    TPrjContainer* project = SceneProject(w.get());
    w->SetProject(project);
    w->Engine().PrepareWorkingSets();
    const char* const names[] = {"RIB", "cable.front", "diamond"};
    const int lines[][2] = {{1, 4}, {5, 22}, {23, 61}};
    for (int i = 0; i < 3; ++i) {
        MStrip s;
        s.Id = i + 1;
        s.FirstS = lines[i][0];
        s.LastS = lines[i][1];
        s.SetName(QLatin1String(names[i]));
        w->Engine().Machine().AddStrip(s);
    }
    w->RefreshStripList();
    w->LbxStripes->setCurrentRow(1);
    TFormImport* window = w.get();
    ctx.AfterShow = [window](QWidget*) {
        window->LbxStripes->setCurrentRow(1);
        window->MPopupMenu1Popup();
        const QRect item = window->LbxStripes->visualItemRect(window->LbxStripes->item(1));
        const QPoint at = window->LbxStripes->viewport()->mapToGlobal(item.center());
        window->MPopupMenu1->Popup(at.x(), at.y());
        QApplication::processEvents();
    };
    ctx.Grab = [window](QWidget*) {
        QImage framed = Framed(window);
        // The menu over the framed window: the client sits at (4, 23).
        const QImage menu = window->MPopupMenu1->grab().toImage();
        const QPoint at = window->MPopupMenu1->pos() - window->mapToGlobal(QPoint(0, 0)) + QPoint(4, 23);
        QPainter p(&framed);
        p.drawImage(at, menu);
        p.end();
        window->MPopupMenu1->hide();
        return framed;
    };
    return w;
}

KDS_SHOT_SCENE("fixed-program", "The fixed-program picker over a selection of three colours") {
    auto w = std::make_unique<TFormFixedProg>();
    TPrjContainer* project = SceneProject(w.get());
    w->SetProject(project);
    // A drawing of 40 x 60 cells with a three-colour stripe pattern in the selection.
    static TBoardFormats board;
    board.SetRaster(TBitmap(40, 60, pf24bit));
    const MPalette& palette = project->Palette();
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            board.WriteCell(
                x, y, palette.Color(y >= 20 && y < 44 && x >= 8 && x < 32 ? ((x / 4 + y / 4) % 3) + 2 : 1));
    board.Selected = true;
    board.SelCells = {8, 20, 31, 43};
    w->Drawing = &board;
    w->ComboType->setCurrentIndex(fsTwilled);
    TFormFixedProg* window = w.get();
    ctx.Grab = [window](QWidget*) { return Framed(window); };
    return w;
}

KDS_SHOT_SCENE("rib-program", "The rib-program picker with Waist 2:1 and an offset row") {
    auto w = std::make_unique<TFormRIBProg>();
    w->SetProject(SceneProject(w.get()));
    w->RdoRip21->setChecked(true);
    w->Offset.Check->setChecked(true);
    w->Offset.Row->SetValue(3);
    TFormRIBProg* window = w.get();
    ctx.Grab = [window](QWidget*) { return Framed(window); };
    return w;
}

KDS_SHOT_SCENE("stripe-name", "The stripe dialog dividing a stripe from S5 at S12") {
    auto w = std::make_unique<TFormModulePrperty>();
    w->SetMode(false);
    w->SetFromS(5);
    w->SetToS(12);
    TFormModulePrperty* window = w.get();
    ctx.Grab = [window](QWidget*) { return Framed(window); };
    return w;
}

KDS_SHOT_SCENE("export", "The export window writing S3 to S8 as a library entry") {
    auto host = std::make_unique<QWidget>();
    auto* project = SceneProject(host.get());
    auto w = std::make_unique<TFormExport>(*project);
    // The project lives as long as the window: the window takes the host along.
    host.release()->setParent(w.get());
    w->edtModuleName->setText(QStringLiteral("cable.front"));
    w->MnumFromS->SetValue(3);
    w->MnumToS->SetValue(8);
    TFormExport* window = w.get();
    ctx.Grab = [window](QWidget*) { return Framed(window); };
    return w;
}
