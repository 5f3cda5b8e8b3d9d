// Scenes of the toolbars: the main window's five drawing toolbars in their docks with a down group
// button, a hot button, a disabled button and the three combo buttons, one toolbar floating in two
// rows, the status bar with its read-out; the toolbar buttons in each of their looks with a dropped
// menu; the status bar alone.

#include "tools/shots/DockForm.h"
#include "tools/shots/Shots.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/DockToolBar_m.h"
#include "ui/Docks.h"
#include "ui/FriendlyStatusBar.h"
#include "ui/GfxUtils.h"
#include "ui/PopupMenu_m.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <memory>
#include <vector>

namespace {

QString Text(int Language, const char* English, const char* Arabic) {
    return Language == 0 ? QString::fromUtf8(Arabic) : QString::fromUtf8(English);
}

// ---- Glyphs, drawn here: 16 x 16 on fuchsia, which the bottom-left pixel makes transparent.

enum GlyphKind {
    gSelect,
    gDrop,
    gPen,
    gLine,
    gRect,
    gFillRect,
    gDiamond,
    gFillDiamond,
    gEllipse,
    gFillEllipse,
    gRound,
    gFillRound,
    gFill,
    gPattern,
    gEraserColour,
    gEraser,
    gText,
    gMagnify,
    gUndo,
    gEraseColour,
    gEraseRect,
    gCut,
    gCopy,
    gPaste,
    gMultiPaste,
    gFlipH,
    gFlipV,
    gRot90,
    gRot180,
    gRot270,
    gRotFree,
    gResize,
    gGrid,
    gGridColour,
    gHome,
    gBrushStyle,
    gPenStyle,
    gThickness,
};

QImage Glyph(GlyphKind Kind) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    QPainter p(&img);
    const QColor ink(0, 0, 0), navy(0, 0, 128), red(192, 0, 0), green(0, 128, 0), grey(128, 128, 128);
    const QColor yellow(255, 255, 0), white(255, 255, 255), teal(0, 128, 128);
    p.setPen(ink);
    switch (Kind) {
    case gSelect:
        p.setPen(QPen(ink, 1, Qt::DotLine));
        p.drawRect(2, 3, 11, 9);
        break;
    case gDrop:
        p.setPen(QPen(ink, 2));
        p.drawLine(3, 12, 10, 5);
        p.fillRect(10, 2, 4, 4, grey);
        break;
    case gPen: {
        QPainterPath path(QPointF(2, 12));
        path.cubicTo(5, 2, 8, 14, 13, 3);
        p.setPen(QPen(navy, 1.5));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.drawPath(path);
        break;
    }
    case gLine:
        p.drawLine(2, 13, 13, 2);
        break;
    case gRect:
        p.drawRect(2, 3, 11, 9);
        break;
    case gFillRect:
        p.drawRect(2, 3, 11, 9);
        p.fillRect(3, 4, 10, 8, green);
        break;
    case gDiamond:
    case gFillDiamond: {
        const QPoint pts[] = {{8, 1}, {14, 7}, {8, 13}, {2, 7}};
        if (Kind == gFillDiamond)
            p.setBrush(green);
        p.drawPolygon(pts, 4);
        break;
    }
    case gEllipse:
    case gFillEllipse:
        if (Kind == gFillEllipse)
            p.setBrush(green);
        p.drawEllipse(2, 3, 11, 9);
        break;
    case gRound:
    case gFillRound:
        if (Kind == gFillRound)
            p.setBrush(green);
        p.drawRoundedRect(2, 3, 11, 9, 3, 3);
        break;
    case gFill:
        p.setBrush(grey);
        p.drawRect(3, 5, 7, 7);
        p.fillRect(11, 7, 2, 6, navy);
        break;
    case gPattern:
        for (int y = 2; y < 13; y += 2)
            for (int x = 2 + (y / 2) % 2; x < 14; x += 2)
                p.fillRect(x, y, 1, 1, teal);
        p.drawRect(1, 1, 13, 12);
        break;
    case gEraserColour:
    case gEraser:
        p.setBrush(Kind == gEraser ? white : QColor(255, 160, 160));
        p.drawRect(3, 5, 10, 6);
        p.fillRect(3, 5, 3, 6, Kind == gEraser ? grey : red);
        break;
    case gText: {
        QFont f = p.font();
        f.setPixelSize(14);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 16, 15), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case gMagnify:
        p.setPen(QPen(ink, 2));
        p.drawEllipse(2, 2, 8, 8);
        p.drawLine(10, 10, 13, 13);
        break;
    case gUndo:
        p.setPen(QPen(navy, 2));
        p.drawArc(3, 4, 10, 8, 90 * 16, -200 * 16);
        p.fillRect(2, 3, 4, 4, navy);
        break;
    case gEraseColour:
        p.fillRect(3, 3, 10, 10, red);
        p.setPen(QPen(white, 2));
        p.drawLine(4, 4, 12, 12);
        break;
    case gEraseRect:
        p.setPen(QPen(ink, 1, Qt::DotLine));
        p.drawRect(2, 2, 11, 11);
        p.setPen(QPen(red, 2));
        p.drawLine(5, 5, 10, 10);
        p.drawLine(10, 5, 5, 10);
        break;
    case gCut:
        p.drawEllipse(2, 9, 4, 4);
        p.drawEllipse(9, 9, 4, 4);
        p.drawLine(5, 9, 11, 2);
        p.drawLine(10, 9, 4, 2);
        break;
    case gCopy:
        p.setBrush(white);
        p.drawRect(2, 2, 7, 8);
        p.drawRect(6, 5, 7, 8);
        break;
    case gPaste:
    case gMultiPaste:
        p.setBrush(QColor(160, 110, 40));
        p.drawRect(2, 3, 9, 11);
        p.setBrush(white);
        p.drawRect(6, 6, 7, 8);
        if (Kind == gMultiPaste)
            p.drawRect(9, 9, 5, 5);
        break;
    case gFlipH:
        p.setBrush(navy);
        p.drawPolygon(QPolygon({{1, 8}, {6, 4}, {6, 12}}));
        p.drawPolygon(QPolygon({{14, 8}, {9, 4}, {9, 12}}));
        break;
    case gFlipV:
        p.setBrush(navy);
        p.drawPolygon(QPolygon({{8, 1}, {4, 6}, {12, 6}}));
        p.drawPolygon(QPolygon({{8, 14}, {4, 9}, {12, 9}}));
        break;
    case gRot90:
    case gRot180:
    case gRot270:
    case gRotFree: {
        p.setPen(QPen(green, 2));
        const int span = Kind == gRot90 ? 90 : Kind == gRot180 ? 180 : Kind == gRot270 ? 270 : 320;
        p.drawArc(3, 3, 10, 10, 90 * 16, -span * 16);
        if (Kind == gRotFree)
            p.fillRect(7, 7, 2, 2, red);
        break;
    }
    case gResize:
        p.drawRect(2, 6, 7, 7);
        p.setPen(QPen(navy, 1));
        p.drawLine(7, 8, 13, 2);
        p.drawLine(9, 2, 13, 2);
        p.drawLine(13, 2, 13, 6);
        break;
    case gGrid:
        for (int i = 2; i <= 14; i += 4) {
            p.drawLine(i, 2, i, 14);
            p.drawLine(2, i, 14, i);
        }
        break;
    case gGridColour:
        p.fillRect(2, 2, 12, 12, yellow);
        p.setPen(red);
        for (int i = 2; i <= 14; i += 4) {
            p.drawLine(i, 2, i, 14);
            p.drawLine(2, i, 14, i);
        }
        break;
    case gHome:
        p.setBrush(QColor(200, 80, 40));
        p.drawPolygon(QPolygon({{8, 2}, {14, 8}, {2, 8}}));
        p.setBrush(white);
        p.drawRect(4, 8, 8, 6);
        break;
    case gBrushStyle:
        p.drawRect(1, 1, 13, 13);
        for (int i = -12; i < 14; i += 3)
            p.drawLine(2 + i, 13, 13 + i, 2);
        p.fillRect(0, 15, 16, 1, QColor(255, 0, 255));
        break;
    case gPenStyle:
        p.setPen(QPen(ink, 2, Qt::DashLine));
        p.drawLine(1, 8, 15, 8);
        break;
    case gThickness:
        for (int i = 0; i < 4; ++i)
            p.fillRect(1, 2 + i * 3 + i * (i - 1) / 2, 14, i + 1, ink);
        break;
    }
    p.end();
    // The bottom-left pixel stays the transparent colour.
    img.setPixel(0, 15, qRgb(255, 0, 255));
    return img;
}

MDockToolBarButton* Button(MDockToolBar* Bar, GlyphKind Kind, int Group = 0) {
    auto* b = new MDockToolBarButton(nullptr, Bar);
    b->SetGlyph(Glyph(Kind));
    b->SetGroupIndex(Group);
    return b;
}

void Sep(MDockToolBar* Bar) {
    new TDockToolbarSep(Bar);
}

// The width menu as the main window gives it: a bilingual popup menu that runs from the right in
// Arabic.
QMenu* WidthMenu(QWidget* Parent, int Language) {
    auto* menu = new MPopupMenu(Parent);
    menu->SetArabic(Language == 0);
    for (int i = 1; i <= 5; ++i) {
        QAction* a = menu->addAction(Text(Language, "Width %1", "عرض %1").arg(i));
        a->setData(1483 + i);
    }
    return menu;
}

// A column of colour cells, as the colours toolbar's palette grid shows them.
class Palette : public QWidget {
public:
    explicit Palette(QWidget* Parent) : QWidget(Parent) { resize(38, 112); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        static const TColor colours[] = {RGB(0, 0, 0),     RGB(255, 255, 255), RGB(200, 30, 30),
                                         RGB(30, 150, 40), RGB(30, 60, 200),   RGB(240, 200, 0),
                                         RGB(120, 0, 140), RGB(0, 160, 170),   RGB(250, 130, 20),
                                         RGB(90, 90, 90),  RGB(0, 187, 0),     RGB(160, 82, 45)};
        for (int i = 0; i < 12; ++i) {
            const QRect cell(2 + (i % 2) * 18, 2 + (i / 2) * 18, 16, 16);
            p.fillRect(cell, SysQColor(colours[i]));
            p.setPen(SysQColor(clBtnShadow));
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
};

MDockToolBar* Toolbar(QWidget* Form, int Language, const char* English, const char* Arabic) {
    auto* bar = new MDockToolBar(Form);
    bar->M_Caption().SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    bar->SetCaption(Text(Language, English, Arabic));
    bar->SetArabic(Language == 0);
    bar->SetHideWhenInactive(false);
    return bar;
}

// The main window's frame: four docks, a work space and the status bar with its read-out.
struct Station : shots::DockForm {
    TFriendlyStatusBar* Status = nullptr;
    MDockToolBar* Drawing = nullptr;
    MDockToolBar* View = nullptr;
    MDockToolBar* Tools = nullptr;
    MDockToolBar* Colours = nullptr;
    MDockToolBar* Brushes = nullptr;
    MDockToolBarButton* Hot = nullptr;

    Station(QRect Geometry, int Language)
        : DockForm(Geometry, QStringLiteral("JXW777"), [](QWidget* Form) {
              auto* bar = new TFriendlyStatusBar(Form);
              bar->resize(100, 20);
              return bar;
          }) {
        Status = Widget->findChild<TFriendlyStatusBar*>();
        Status->AddPanel({QString(), 50, pbLowered, taLeftJustify});
        Status->AddPanel({QString(), 50, pbLowered, taLeftJustify});
        auto* x = new QLabel(QStringLiteral("X:124"));
        auto* y = new QLabel(QStringLiteral("Y:37"));
        x->setToolTip(Text(Language, "Needle Nr in Draw", "رقم الإبرة في الرسم"));
        y->setToolTip(Text(Language, "Line Nr in Draw", "رقم السطر في الرسم"));
        Status->PlaceControl(x, QRect(4, 4, 44, 14));
        Status->PlaceControl(y, QRect(56, 4, 44, 14));
    }

    void Build(int Language, bool FloatTools) {
        QWidget* f = Widget.get();
        Drawing = Toolbar(f, Language, "Drawing Window", "نافذة الرسم");
        const GlyphKind drawing[] = {gSelect,  gDrop,        gPen,          gLine,        gRect,  gFillRect,
                                     gDiamond, gFillDiamond, gEllipse,      gFillEllipse, gRound, gFillRound,
                                     gFill,    gPattern,     gEraserColour, gEraser,      gText};
        for (GlyphKind k : drawing) {
            MDockToolBarButton* b = Button(Drawing, k, 1);
            if (k == gPen)
                b->SetDown(true);
            if (k == gSelect || k == gFill || k == gText)
                Sep(Drawing);
        }
        Button(Drawing, gMagnify);

        View = Toolbar(f, Language, "View Window", "نافذة العرض");
        Button(View, gGrid);
        Button(View, gGridColour);
        Hot = Button(View, gHome);

        Tools = Toolbar(f, Language, "Tools Window", "نافذة الأدوات");
        const GlyphKind tools[] = {gUndo,  gEraseColour, gEraseRect, gCut,    gCopy,   gPaste,   gMultiPaste,
                                   gFlipH, gFlipV,       gRot90,     gRot180, gRot270, gRotFree, gResize};
        for (GlyphKind k : tools) {
            MDockToolBarButton* b = Button(Tools, k);
            if (k == gUndo)
                b->setEnabled(false);
            if (k == gUndo || k == gMultiPaste || k == gFlipV || k == gRot270)
                Sep(Tools);
        }

        Brushes = Toolbar(f, Language, "Brushes Window", "نافذة الفرش");
        const struct {
            GlyphKind Kind;
            const char* English;
            const char* Arabic;
        } combos[] = {{gBrushStyle, "Brush Style", "نمط الفرشاة"},
                      {gPenStyle, "Pen Style", "نمط القلم"},
                      {gThickness, "Pen thickness", "سمك القلم"}};
        for (const auto& c : combos) {
            MDockToolBarButton* b = Button(Brushes, c.Kind);
            b->M_Hint().SetHints({QString::fromUtf8(c.Arabic), QString::fromUtf8(c.English)});
            b->SetDropdownArrowWidth(18);
            b->SetDropdownCombo(true);
            b->SetDropdownMenu(WidthMenu(f, Language));
        }

        Colours = Toolbar(f, Language, "Colors Window", "نافذة الألوان");
        new Palette(Colours);

        Dock(Drawing, Top, 0, 0);
        Dock(View, Top, 0, 460);
        Dock(Tools, Top, 1, 0);
        Dock(Colours, Right, 0, 0);
        Dock(Brushes, Right, 0, 130);
        if (FloatTools) {
            Tools->SetFloatingWrapWidth(200);
            Tools->SetFloatingPosition(Widget->mapToGlobal(QPoint(230, 170)));
            Tools->SetDockedTo(nullptr);
        }
    }

    // The pointer over the hot button.
    void HoverHot() {
        if (!Hot)
            return;
        Hot->SetShowBorderWhenInactive(true);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), Hot->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Hot, &move);
    }
};

using shots::ScreenPicture;

} // namespace

KDS_SHOT_SCENE("toolbars", "The main window's toolbars in their docks and one floating in two rows, with the "
                           "status bar; a down group button, a hot button, a disabled button, three combos") {
    const QRect area(0, 0, 720, 470);
    auto picture = std::make_unique<ScreenPicture>(area);
    auto station = std::make_unique<Station>(QRect(10, 30, 680, 400), ctx.Language);
    Station* st = station.get();
    picture->Forms.push_back(std::move(station));
    st->Widget->show();
    st->Build(ctx.Language, true);
    ctx.AfterShow = [st](QWidget* w) {
        auto* pic = static_cast<ScreenPicture*>(w);
        st->Tools->Relayout();
        st->HoverHot();
        pic->AddForm(st->Widget.get());
        if (st->Tools->FloatParent())
            pic->AddWindow(st->Tools->FloatParent());
        pic->update();
    };
    return picture;
}

// The looks of the toolbar buttons on one panel, and a combo's dropped menu.
KDS_SHOT_SCENE("toolbar-buttons", "Toolbar buttons: up, hot, pressed, down in a group, disabled, raised, "
                                  "with a caption, drop-down and combo buttons, and a dropped menu") {
    auto panel = std::make_unique<QWidget>();
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, SysQColor(clBtnFace));
    panel->setPalette(pal);
    panel->setLayoutDirection(ctx.Language == 0 ? Qt::RightToLeft : Qt::LeftToRight);
    ctx.Size = QSize(420, 232);
    QWidget* host = panel.get();
    auto make = [host](GlyphKind Kind, int X, int Y) {
        auto* b = new MDockToolBarButton(nullptr, host);
        b->SetGlyph(Glyph(Kind));
        b->move(X, Y);
        return b;
    };
    const int lang = ctx.Language;
    struct Look {
        const char* English;
        const char* Arabic;
    };
    const Look looks[] = {{"up", "عادي"},   {"hot", "تحت المؤشر"}, {"pressed", "مضغوط"},
                          {"down", "مثبت"}, {"disabled", "معطل"},  {"raised", "بارز"}};
    std::vector<MDockToolBarButton*> row;
    for (int i = 0; i < 6; ++i) {
        row.push_back(make(GlyphKind(gRect + i), 20 + i * 66, 24));
        auto* l = new QLabel(Text(lang, looks[i].English, looks[i].Arabic), host);
        l->setGeometry(i * 66, 50, 66, 14);
        l->setAlignment(Qt::AlignCenter);
    }
    row[3]->SetGroupIndex(1);
    row[3]->SetDown(true);
    row[4]->setEnabled(false);
    row[5]->SetFlat(false);
    auto* caption = make(gCopy, 20, 80);
    caption->SetCaption(Text(lang, "&Copy", "نسخ"));
    caption->resize(70, 22);
    caption->SetFlat(false);
    auto* above = make(gPaste, 110, 72);
    above->SetCaption(Text(lang, "Paste", "لصق"));
    above->SetLayout(blGlyphTop);
    above->resize(50, 38);
    auto* drop = make(gGrid, 180, 80);
    drop->resize(36, 22);
    drop->SetDropdownAlways(true);
    auto* combo = make(gThickness, 240, 80);
    combo->SetDropdownArrowWidth(18);
    combo->SetDropdownCombo(true);
    QMenu* menu = WidthMenu(host, lang);
    combo->SetDropdownMenu(menu);
    auto* disabledCombo = make(gPenStyle, 300, 80);
    disabledCombo->SetDropdownArrowWidth(18);
    disabledCombo->SetDropdownCombo(true);
    disabledCombo->SetDropdownMenu(WidthMenu(host, lang));
    disabledCombo->setEnabled(false);
    MDockToolBarButton* hot = row[1];
    MDockToolBarButton* pressed = row[2];
    ctx.AfterShow = [hot, pressed, combo](QWidget*) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), pressed->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pressed, &press);
        // The combo's arrow pressed: its menu drops below it.
        const QPointF arrow(combo->width() - 5, 10);
        QMouseEvent drop(QEvent::MouseButtonPress, arrow, combo->mapToGlobal(arrow), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(combo, &drop);
        // Last, the pointer over the hot one (one button is hot at a time).
        hot->SetShowBorderWhenInactive(true);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), hot->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(hot, &move);
    };
    ctx.Grab = [menu](QWidget* w) {
        QImage img = w->grab().toImage();
        if (menu->isVisible()) {
            QPainter p(&img);
            p.drawImage(w->mapFromGlobal(menu->geometry().topLeft()), menu->grab().toImage());
        }
        return img;
    };
    return panel;
}

KDS_SHOT_SCENE("status-bar", "The status bar with its two 50-pixel panels, the read-out on them and a "
                             "status tip lying over the read-out") {
    auto form = std::make_unique<QWidget>();
    form->setLayoutDirection(ctx.Language == 0 ? Qt::RightToLeft : Qt::LeftToRight);
    ctx.Size = QSize(420, 50);
    auto* top = new TFriendlyStatusBar(form.get());
    top->setGeometry(0, 2, 420, 20);
    top->AddPanel({QString(), 50, pbLowered, taLeftJustify});
    top->AddPanel({QString(), 50, pbLowered, taLeftJustify});
    top->AddPanel({Text(ctx.Language, "Ready", "جاهز"), 200, pbLowered, taLeftJustify});
    top->PlaceControl(new QLabel(QStringLiteral("X:124")), QRect(4, 4, 44, 14));
    top->PlaceControl(new QLabel(QStringLiteral("Y:37")), QRect(56, 4, 44, 14));
    auto* tip = new TFriendlyStatusBar(form.get());
    tip->setGeometry(0, 26, 420, 20);
    tip->AddPanel({QString(), 50, pbLowered, taLeftJustify});
    tip->PlaceControl(new QLabel(QStringLiteral("X:124")), QRect(4, 4, 44, 14));
    tip->showMessage(
        Text(ctx.Language, "Pen thickness: the width of the lines drawn", "سمك القلم: عرض الخطوط المرسومة"));
    return form;
}
