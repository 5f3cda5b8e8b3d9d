// Scenes of the module editing panels: the cells of the module rows, the popup palette, the cam menu
// and the field-help hint window.

#include "tools/shots/Popups.h"
#include "tools/shots/Shots.h"

#include "editors/CamBox_m.h"
#include "editors/CamEdit_m.h"
#include "editors/CamPopupMenu_m.h"
#include "editors/ColorBox_M.h"
#include "editors/MRHints.h"
#include "editors/MoukikEdit_m.h"
#include "editors/MoukikMemo_m.h"
#include "editors/NumEdit_m.h"
#include "editors/PopPalette_m.h"
#include "model/UCamCodes.h"
#include "model/UColors.h"

#include <QApplication>
#include <QLabel>

namespace {

// A panel of the scenes: mirrored in Arabic, with a caption column on the leading side.
class ScenePanel : public QWidget {
public:
    ScenePanel(int Language, QSize Size) : FArabic(Language == 0) {
        resize(Size);
        setAutoFillBackground(true);
        setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
    }
    // Places a child at X from the leading edge.
    template <class W>
    W* Put(W* Child, int X, int Y, int Width, int Height) {
        Child->setParent(this);
        Child->setGeometry(FArabic ? width() - X - Width : X, Y, Width, Height);
        return Child;
    }
    void Caption(const QString& English, const QString& Arabic, int Y) {
        auto* l = new QLabel(FArabic ? Arabic : English);
        l->setAlignment(Qt::AlignVCenter | (FArabic ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute);
        Put(l, 10, Y, 120, 26);
    }
    bool Arabic() const { return FArabic; }

private:
    bool FArabic;
};

const MPalette& ScenePalette() {
    static const MPalette palette;
    return palette;
}

MbitsMap FirstColors(int Count, int Step = 1) {
    MbitsMap m;
    for (int i = 0, n = 0; n < Count && i < PaletteSize; i += Step, ++n)
        m.SetBit(i, 1);
    return m;
}

} // namespace

KDS_SHOT_SCENE("cells", "The cells of the module rows: number, carrier, colour-set and cam cells") {
    auto panel = std::make_unique<ScenePanel>(ctx.Language, QSize(420, 250));
    ScenePanel* p = panel.get();

    p->Caption(QStringLiteral("Number cells"), QStringLiteral("خلايا الأرقام"), 10);
    auto* plain = p->Put(new MNumEdit(nullptr), 140, 10, 60, 24);
    plain->SetValue(12);
    auto* focused = p->Put(new MNumEdit(nullptr), 210, 10, 60, 24);
    focused->SetValue(345);
    auto* sign = p->Put(new MNumEdit(nullptr), 280, 10, 60, 24);
    sign->SetSigned(true);
    sign->SetValue(-7);

    p->Caption(QStringLiteral("Yarn carriers"), QStringLiteral("حاملات الخيط"), 50);
    p->Put(new MMoukikEdit(nullptr), 140, 50, 80, 24)->setText(QStringLiteral("1358"));
    auto* memo = p->Put(new MMoukikMemo(nullptr), 230, 50, 60, 26);
    memo->SetText(QStringLiteral("246"));

    p->Caption(QStringLiteral("Colour sets"), QStringLiteral("مجموعات الألوان"), 92);
    int x = 140;
    for (const auto& [count, step] : {std::pair{3, 5}, std::pair{15, 2}, std::pair{25, 1}}) {
        auto* box = p->Put(new MColorBox(nullptr), x, 90, 80, 34);
        box->SetPalette(&ScenePalette());
        box->AssignColors(FirstColors(count, step));
        x += 90;
    }

    p->Caption(QStringLiteral("Cam codes"), QStringLiteral("رموز الكامات"), 140);
    auto* menu = new MCamPopupMenu(nullptr, p);
    menu->AddCamCodes();
    x = 140;
    for (int code : {camJA, camJUJN, cam11, camNone}) {
        auto* cam = p->Put(new MCamBox(nullptr), x, 138, 50, 30);
        cam->SetCamPopupMenu1(menu);
        cam->SetValue(code);
        x += 60;
    }
    auto* camEdit = p->Put(new MCamEdit(nullptr), 140, 180, 60, 24);
    camEdit->SetCamPopupMenu1(menu);
    camEdit->SetValue(camJURR);

    ctx.AfterShow = [focused](QWidget*) {
        shots::MakeActive(focused);
        focused->setFocus();
        focused->deselect();
    };
    return panel;
}

KDS_SHOT_SCENE("palette", "The popup palette open under a colour box: free colours above, members below") {
    auto panel = std::make_unique<ScenePanel>(ctx.Language, QSize(300, 200));
    ScenePanel* p = panel.get();
    p->Caption(QStringLiteral("Colours"), QStringLiteral("الألوان"), 10);
    auto* box = p->Put(new MColorBox(nullptr), 140, 10, 80, 34);
    auto* popup = new MPopupPalette(p);
    popup->SetPalette(&ScenePalette());
    box->SetPalette(&ScenePalette());
    box->SetPopupPalette(popup);
    MbitsMap set;
    for (int i : {1, 4, 9, 17, 30})
        set.SetBit(i, 1);
    box->AssignColors(set);
    ctx.AfterShow = [box](QWidget*) {
        shots::MakeActive(box);
        box->setFocus();
        box->Click();
    };
    ctx.Grab = [popup](QWidget* w) { return shots::GrabWithPopup(w, popup); };
    return panel;
}

KDS_SHOT_SCENE("cammenu", "The cam menu open under a cam box, all codes in four columns") {
    auto panel = std::make_unique<ScenePanel>(ctx.Language, QSize(300, 200));
    ScenePanel* p = panel.get();
    p->Caption(QStringLiteral("Cam code"), QStringLiteral("رمز الكامة"), 10);
    auto* menu = new MCamPopupMenu(nullptr, p);
    menu->AddCamCodes();
    // Mode 0: every code, a new column at the items 7, 14 and 21.
    for (int i : {7, 14, 21})
        menu->Item(i).Break = true;
    auto* cam = p->Put(new MCamBox(nullptr), 140, 10, 50, 30);
    cam->SetCamPopupMenu1(menu);
    cam->SetValue(camJR);
    ctx.AfterShow = [cam, menu](QWidget*) {
        shots::MakeActive(cam);
        cam->setFocus();
        cam->Click();
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        for (int i = 0; i < 3; ++i)
            QApplication::sendEvent(menu, &down);
    };
    ctx.Grab = [menu](QWidget* w) { return shots::GrabWithPopup(w, menu); };
    return panel;
}

namespace {
// A row of the scene that gives its cell the field help of an N cell: the labels of the N lines it
// refers to, which read the same in both languages.
class HintSceneRow : public QWidget, public MFieldHintRow {
public:
    explicit HintSceneRow(int Language) : FLanguage(Language) {}
    int FieldHintLanguage() const override { return FLanguage; }
    void GetFieldHint(QWidget*, QString& Text) override {
        Text = QStringLiteral("\n\r@S@N  1 @1@N  4 +2@0@ @2@W  3@0@\nN  2 X  7 -1 D  12");
    }

private:
    int FLanguage;
};
} // namespace

KDS_SHOT_SCENE("hint", "The field-help balloon over a cell: blue head, separator, help with red and blue") {
    auto panel = std::make_unique<ScenePanel>(ctx.Language, QSize(360, 170));
    ScenePanel* p = panel.get();
    auto* row = p->Put(new HintSceneRow(ctx.Language), 0, 110, 360, 40);
    auto* cell = new MNumEdit(nullptr, row);
    cell->setGeometry(p->Arabic() ? 360 - 30 - 60 : 30, 8, 60, 24);
    cell->SetValue(3);
    cell->SetHint(ctx.Language == 0 ? QStringLiteral("رقم سطر N") : QStringLiteral("N line number"));
    cell->SetShowHint(true);
    ctx.AfterShow = [cell](QWidget*) {
        InstallHintWindow(1, 10, 1, 1);
        SetHintDelays(50, 60000);
        ApplicationHintWindow()->ActivateHint(cell, cell->mapToGlobal(QPoint(30, 12)));
    };
    ctx.Grab = [](QWidget* w) {
        MRHintWindow* h = ApplicationHintWindow();
        const QImage image = shots::GrabWithPopup(w, h, h->mask());
        h->ReleaseHint();
        return image;
    };
    return panel;
}
