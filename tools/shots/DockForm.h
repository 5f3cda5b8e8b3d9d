#pragma once
// Pieces of the scenes with docks: a form with four docks around a work-space client, and a picture
// of part of the screen on which forms and floating windows are drawn where they stand.

#include "tools/shots/WindowFrame.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/AlignLayout.h"
#include "ui/Docks.h"
#include "ui/GfxUtils.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace shots {

// A form with four docks around a grey client area. MakeBottomBar, when given, makes a bar (a status
// bar) that runs along the form's bottom edge below the bottom dock.
struct DockForm {
    std::unique_ptr<QWidget> Widget;
    TDockArea* Top;
    TDockArea* Bottom;
    TDockArea* Left;
    TDockArea* Right;

    DockForm(QRect Geometry, const QString& Title,
             const std::function<QWidget*(QWidget*)>& MakeBottomBar = {}) {
        Widget = std::make_unique<QWidget>();
        Widget->setWindowTitle(Title);
        Widget->setLayoutDirection(Qt::LeftToRight);
        auto* layout = new AlignLayout(Widget.get());
        if (MakeBottomBar) {
            QWidget* bar = MakeBottomBar(Widget.get());
            SetAlign(bar, TAlign::alBottom);
            layout->addWidget(bar);
        }
        Top = new TDockArea(Widget.get(), TDockPosition::dpTop);
        Bottom = new TDockArea(Widget.get(), TDockPosition::dpBottom);
        Left = new TDockArea(Widget.get(), TDockPosition::dpLeft);
        Right = new TDockArea(Widget.get(), TDockPosition::dpRight);
        auto* client = new QWidget(Widget.get());
        client->setAutoFillBackground(true);
        QPalette pal = client->palette();
        pal.setColor(QPalette::Window, SysQColor(clAppWorkSpace));
        client->setPalette(pal);
        SetAlign(client, TAlign::alClient);
        for (QWidget* w : {static_cast<QWidget*>(Top), static_cast<QWidget*>(Bottom),
                           static_cast<QWidget*>(Left), static_cast<QWidget*>(Right), client})
            layout->addWidget(w);
        Top->SetBoundLines(blTop | blBottom);
        Widget->setGeometry(Geometry);
    }
    virtual ~DockForm() = default;

    void Dock(TCustomDockWindow* W, TDockArea* Dock, int Row, int Pos) {
        W->SetDockRow(Row);
        W->SetDockPos(Pos);
        W->SetDockedTo(Dock);
    }
};

// A picture of part of the screen over the desktop: forms in a plain frame, floating windows and a
// drag outline where they stand.
class ScreenPicture : public QWidget {
public:
    explicit ScreenPicture(QRect Area) : FArea(Area) { resize(Area.size()); }
    // The forms shown on the picture, kept while it lives.
    std::vector<std::unique_ptr<DockForm>> Forms;

    void AddForm(QWidget* W) {
        const QRect g = W->geometry().translated(-FArea.topLeft());
        FImages.push_back({FramedWindow(W), g.topLeft() - FramedClientOffset});
    }
    void AddWindow(QWidget* W) {
        FImages.push_back({W->grab().toImage(), W->geometry().topLeft() - FArea.topLeft()});
    }
    void AddOutline(QRect Outline, int Thickness) {
        FOutline = Outline.translated(-FArea.topLeft());
        FThickness = Thickness;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), SysQColor(clBackground));
        for (const auto& [image, at] : FImages)
            p.drawImage(at, image);
        if (!FOutline.isEmpty()) {
            QRegion ring(FOutline);
            ring -= QRegion(FOutline.adjusted(FThickness, FThickness, -FThickness, -FThickness));
            p.setClipRegion(ring);
            p.fillRect(FOutline, QBrush(CreateCheckerPattern(clBlack, clWhite)));
        }
    }

private:
    QRect FArea;
    std::vector<std::pair<QImage, QPoint>> FImages;
    QRect FOutline;
    int FThickness = 0;
};

} // namespace shots
