// Scenes of the row and container framework: a container with rows of a small sample kind (the
// number and four levels of selector-switch modules) with selection marks and a focused cell, the
// module popup menu of the knitting-scheme window open over it, and the Special Functions and Go-to
// dialogs.

#include "tools/shots/Popups.h"
#include "tools/shots/Shots.h"

#include "editors/ModuleMenu.h"
#include "editors/NumEdit_m.h"
#include "editors/RContainerPanel_m.h"
#include "editors/SpecFuncForm.h"
#include "model/UunvList.h"
#include "platform/ColorQt.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QTabWidget>

namespace {

// A row of the sample kind: the select button, the number and four levels of a W module.
class TSceneRow : public MRBasePanel {
public:
    explicit TSceneRow(QObject* Owner)
        : MRBasePanel(Owner, nullptr, std::make_unique<MUnvW>(), QSize(240, 28)) {
        MakeSelectButton(QRect(3, 3, 20, 21), QStringLiteral("W"));
        MakeNumberCell(0, 0, QRect(28, 3, 29, 21), 3);
        for (int i = 0; i < 4; ++i) {
            Levels[i] = MakeNumEdit(
                i + 1, 100 * (i + 1), QRect(74 + 40 * i, 3, 35, 21), 4,
                [this, i](QObject*) {
                    if (!Loading())
                        W().Levels[std::size_t(i)] = Levels[i]->Value();
                },
                0, CellFocusColor);
        }
    }
    MUnvW& W() { return static_cast<MUnvW&>(*WorkItem); }
    MNumEdit* Levels[4] = {};

protected:
    void ShowCells() override {
        for (int i = 0; i < 4; ++i)
            ShowCellValue(Levels[i], W().Levels[std::size_t(i)]);
    }
};

class TSceneContainer : public MRContainerPanel {
public:
    explicit TSceneContainer(QObject* Owner) : MRContainerPanel(Owner) {}
    MRBasePanel* NewRowPanel() override { return new TSceneRow(this); }
    int WindowIndex() const override { return wiW; }
};

// A window of the module editors in miniature: a bilingual form holding the container over a list of
// twelve W modules, two of them selected.
class TSceneWindow : public MForm {
public:
    explicit TSceneWindow(bool KnittingSchemeMenu) {
        resize(300, 200);
        new MLanguageAdapter(this);
        if (DMLanguagePack)
            SetLanguagePack(DMLanguagePack->OLanguagePack);
        SetResourceLanguage(LanguageEnglish);
        QPalette p = palette();
        p.setColor(QPalette::Window, SysQColor(clBtnFace));
        setPalette(p);
        setAutoFillBackground(true);
        for (int n = 1; n <= 12; ++n) {
            MUnvW w;
            w.Number = n;
            for (int k = 0; k < 8; ++k)
                w.Levels[std::size_t(k)] = (n * 7 + k * 3) % 40;
            w.Marks.Selected = n == 3 || n == 4;
            List.AddOrReplace(w);
        }
        Container = new TSceneContainer(this);
        Container->InitLayout(0);
        Container->ApplyLayout(ContainerLayoutOf(wiW));
        Menu = MakeModulePopupMenu(this, KnittingSchemeMenu);
        Container->SetPopupMenu(Menu);
        FinishLoading();
        Container->SetItems(&List);
        Container->SetVisibleRows(6);
    }
    ~TSceneWindow() override { DestroyComponents(); }
    MWList List;
    TSceneContainer* Container;
    MPopupMenu* Menu;
};

} // namespace

KDS_SHOT_SCENE("rows", "A container of sample rows: two selected, a focused level cell, the scroll bar") {
    auto window = std::make_unique<TSceneWindow>(false);
    TSceneWindow* w = window.get();
    ctx.AfterShow = [w](QWidget*) {
        shots::MakeActive(w);
        auto* row = static_cast<TSceneRow*>(w->Container->Rows()[4]);
        row->Levels[1]->setFocus();
        row->Levels[1]->deselect();
        QApplication::processEvents();
    };
    return window;
}

KDS_SHOT_SCENE("menu", "The module popup menu of the knitting-scheme window open over a container") {
    auto window = std::make_unique<TSceneWindow>(true);
    TSceneWindow* w = window.get();
    ctx.AfterShow = [w](QWidget*) {
        shots::MakeActive(w);
        const QPoint at = w->Container->Rows()[1]->mapToGlobal(QPoint(w->Menu->Arabic() ? 200 : 40, 14));
        w->Container->PopupRecordRow(at);
        w->Menu->Popup(at.x(), at.y());
        QApplication::processEvents();
    };
    ctx.Grab = [w](QWidget*) {
        const QImage image = shots::GrabWithPopup(w, w->Menu);
        w->Menu->hide();
        return image;
    };
    return window;
}

KDS_SHOT_SCENE("specfunc", "The Special Functions dialog on its copy page with the line options") {
    auto form = std::make_unique<TSpecialFuncForm>();
    TSpecialFuncParams p;
    p.Operation = sfCopy;
    p.From = 1;
    p.To = 10;
    p.In = 21;
    p.ByY = 2;
    p.MoveDestination = true;
    p.Mirror = true;
    form->SetParams(p);
    form->LargestNumber = 40;
    form->MaxItemNumber = 2000;
    form->SetLineOptions(true);
    return form;
}

KDS_SHOT_SCENE("goto", "The Go-to dialog with a number typed") {
    auto form = std::make_unique<TGoToForm>();
    TGoToForm* f = form.get();
    ctx.AfterShow = [f](QWidget*) {
        shots::MakeActive(f);
        f->IDEdit->setText(QStringLiteral("125"));
        f->IDEdit->setFocus();
        f->IDEdit->deselect();
    };
    return form;
}
