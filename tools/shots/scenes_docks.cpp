// Scenes of the docks and tool windows: a form with its four docks holding tool windows in rows,
// floating tool windows over the screen with their captions, and the outline of a drag.

#include "tools/shots/DockForm.h"
#include "tools/shots/Shots.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/AlignLayout.h"
#include "ui/DockTlwn.h"
#include "ui/Docks.h"
#include "ui/GfxUtils.h"

#include <QApplication>
#include <QPainter>

#include <memory>
#include <vector>

namespace {

// The texts of the scenes in the two languages (0 Arabic, 1 English).
QString Text(int Language, const char* English, const char* Arabic) {
    return Language == 0 ? QString::fromUtf8(Arabic) : QString::fromUtf8(English);
}

// What a tool window holds here: a row (or column) of colour cells.
class Cells : public QWidget {
public:
    Cells(int Seed, QWidget* Parent) : QWidget(Parent), FSeed(Seed) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), SysQColor(clBtnFace));
        static const TColor colours[] = {RGB(200, 30, 30),  RGB(30, 150, 40), RGB(30, 60, 200),
                                         RGB(240, 200, 0),  RGB(120, 0, 140), RGB(0, 160, 170),
                                         RGB(250, 130, 20), RGB(90, 90, 90)};
        const bool across = width() >= height();
        int i = FSeed;
        for (int at = 2; at + 14 <= (across ? width() : height()); at += 17, ++i) {
            const QRect cell =
                across ? QRect(at, (height() - 14) / 2, 14, 14) : QRect((width() - 14) / 2, at, 14, 14);
            p.fillRect(cell, SysQColor(colours[i % 8]));
            p.setPen(SysQColor(clBtnShadow));
            p.drawLine(cell.topLeft() - QPoint(1, 1), cell.topRight() + QPoint(1, -1));
            p.drawLine(cell.topLeft() - QPoint(1, 1), cell.bottomLeft() + QPoint(-1, 1));
            p.setPen(SysQColor(clBtnHighlight));
            p.drawLine(cell.bottomLeft() + QPoint(-1, 1), cell.bottomRight() + QPoint(1, 1));
            p.drawLine(cell.topRight() + QPoint(1, -1), cell.bottomRight() + QPoint(1, 1));
        }
    }

private:
    int FSeed;
};

TDockWindow* Tool(QWidget* Form, const QString& Caption, int Seed, int W, int H, int Language) {
    auto* w = new TDockWindow(Form);
    w->setObjectName(QStringLiteral("Tool%1").arg(Seed));
    w->SetCaption(Caption);
    w->SetArabic(Language == 0);
    w->SetHideWhenInactive(false);
    w->SetClientAreaWidth(W);
    w->SetClientAreaHeight(H);
    auto* cells = new Cells(Seed, w);
    SetAlign(cells, TAlign::alClient);
    w->Layout()->addWidget(cells);
    return w;
}

// The form of the dock scenes, filled with tool windows.
struct Form : shots::DockForm {
    using DockForm::DockForm;

    // Tool windows in two rows in every dock, with each grip style and a docked close button.
    void Fill(int Language) {
        QWidget* f = Widget.get();
        auto* drawing = Tool(f, Text(Language, "Drawing", "الرسم"), 0, 120, 18, Language);
        auto* view = Tool(f, Text(Language, "View", "عرض"), 1, 70, 18, Language);
        auto* tools = Tool(f, Text(Language, "Tools", "أدوات"), 2, 150, 18, Language);
        tools->SetDragHandleStyle(TDragHandleStyle::dhSingle);
        auto* close = Tool(f, Text(Language, "Pens", "أقلام"), 3, 90, 18, Language);
        close->SetCloseButtonWhenDocked(true);
        Dock(drawing, Top, 0, 0);
        Dock(view, Top, 0, 140);
        Dock(tools, Top, 1, 0);
        Dock(close, Top, 1, 170);
        auto* colours = Tool(f, Text(Language, "Colours", "الألوان"), 4, 18, 120, Language);
        auto* brushes = Tool(f, Text(Language, "Brushes", "الفرش"), 5, 18, 80, Language);
        brushes->SetDragHandleStyle(TDragHandleStyle::dhNone);
        Dock(colours, Right, 0, 0);
        Dock(brushes, Right, 1, 30);
        auto* a = Tool(f, Text(Language, "Carriers", "الحوامل"), 6, 18, 90, Language);
        auto* b = Tool(f, Text(Language, "Beds", "الأسرّة"), 7, 18, 60, Language);
        b->SetCloseButtonWhenDocked(true);
        Dock(a, Left, 0, 0);
        Dock(b, Left, 1, 20);
        auto* status = Tool(f, Text(Language, "Rows", "الصفوف"), 1, 200, 16, Language);
        auto* full = Tool(f, Text(Language, "Needles", "الإبر"), 3, 100, 16, Language);
        full->SetFullSize(true);
        Dock(status, Bottom, 0, 10);
        Dock(full, Bottom, 1, 0);
    }
};

using shots::ScreenPicture;

} // namespace

KDS_SHOT_SCENE("docks", "A form with its four docks holding tool windows in two rows each") {
    auto form = std::make_unique<Form>(QRect(0, 0, 620, 400), QString());
    form->Fill(ctx.Language);
    return std::move(form->Widget);
}

KDS_SHOT_SCENE("floating",
               "Floating tool windows over the screen: active and inactive captions, a cut caption") {
    const QRect area(0, 0, 760, 520);
    auto picture = std::make_unique<ScreenPicture>(area);
    auto form = std::make_unique<Form>(QRect(24, 40, 470, 330), Text(ctx.Language, "Station", "المحطة"));
    QWidget* f = form->Widget.get();
    form->Widget->show();
    auto* drawing = Tool(f, Text(ctx.Language, "Drawing", "الرسم"), 0, 120, 18, ctx.Language);
    form->Dock(drawing, form->Top, 0, 0);
    auto* colours = Tool(f, Text(ctx.Language, "Colours", "الألوان"), 4, 104, 38, ctx.Language);
    auto* tools = Tool(f, Text(ctx.Language, "Tools", "أدوات"), 2, 140, 18, ctx.Language);
    auto* cut = Tool(f, Text(ctx.Language, "Brushes and pens of the board", "فرش وأقلام لوحة الرسم"), 5, 70,
                     18, ctx.Language);
    auto* inactive = Tool(f, Text(ctx.Language, "View", "عرض"), 1, 104, 18, ctx.Language);
    const struct {
        TDockWindow* W;
        QPoint At;
    } floating[] = {{colours, {540, 70}}, {tools, {300, 300}}, {cut, {560, 200}}, {inactive, {540, 400}}};
    for (const auto& fl : floating) {
        fl.W->SetFloatingPosition(fl.At);
        fl.W->SetDockedTo(nullptr);
    }
    cut->SetCloseButton(true);
    tools->SetResizable(false);
    picture->Forms.push_back(std::move(form));
    ctx.AfterShow = [=](QWidget* w) {
        auto* pic = static_cast<ScreenPicture*>(w);
        QApplication::setActiveWindow(f);
        pic->AddForm(f);
        for (TDockWindow* t : {colours, tools, cut})
            pic->AddWindow(t->FloatParent());
        // The same window while the application is inactive.
        QApplication::setActiveWindow(nullptr);
        pic->AddWindow(inactive->FloatParent());
        pic->update();
    };
    return picture;
}

KDS_SHOT_SCENE("drag-outline", "The outline of a tool window dragged from the top dock into the free") {
    const QRect area(0, 0, 660, 440);
    auto picture = std::make_unique<ScreenPicture>(area);
    auto form = std::make_unique<Form>(QRect(20, 40, 560, 340), Text(ctx.Language, "Station", "المحطة"));
    form->Widget->show();
    form->Fill(ctx.Language);
    TDockWindow* dragged = nullptr;
    for (TCustomDockWindow* w : form->Top->Bars())
        if (w->objectName() == QStringLiteral("Tool2"))
            dragged = static_cast<TDockWindow*>(w);
    QWidget* f = form->Widget.get();
    picture->Forms.push_back(std::move(form));
    ctx.AfterShow = [=](QWidget* w) {
        auto* pic = static_cast<ScreenPicture*>(w);
        QApplication::setActiveWindow(f);
        pic->AddForm(f);
        if (!dragged)
            return;
        // Grabbed on its grip and held over the form's free area.
        dragged->BeginDrag(-6, 8);
        dragged->DragMoveTo(f->mapToGlobal(QPoint(300, 190)));
        pic->AddOutline(dragged->DragOutline(), dragged->DragOutlineThickness());
        dragged->EndDrag(false);
        pic->update();
    };
    return picture;
}
