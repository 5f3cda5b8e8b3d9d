#include "ui/FriendlyStatusBar.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"

#include <QPainter>

#include <algorithm>

TFriendlyStatusBar::TFriendlyStatusBar(QWidget* Parent) : QStatusBar(Parent) {
    // The panels run from the left in both languages; their texts are bidirectional on their own.
    setLayoutDirection(Qt::LeftToRight);
    setSizeGripEnabled(false);
    setMinimumHeight(19);
    connect(this, &QStatusBar::messageChanged, this, &TFriendlyStatusBar::MessageChanged);
}

void TFriendlyStatusBar::MessageChanged(const QString& Text) {
    if (Text.isEmpty()) {
        for (const QPointer<QWidget>& w : FCovered)
            if (w && w->parentWidget() == this)
                w->show();
        FCovered.clear();
        return;
    }
    std::erase_if(FPlaced, [this](const QPointer<QWidget>& w) { return !w || w->parentWidget() != this; });
    for (const QPointer<QWidget>& w : FPlaced)
        if (!w->isHidden()) {
            w->hide();
            FCovered.push_back(w);
        }
}

namespace {
// A width beyond any screen counts as this much.
int PanelWidth(const TStatusPanel& Panel) {
    return std::clamp(Panel.Width, 0, 1 << 20);
}
} // namespace

int TFriendlyStatusBar::AddPanel(const TStatusPanel& Panel) {
    FPanels.push_back(Panel);
    update();
    return int(FPanels.size()) - 1;
}

void TFriendlyStatusBar::SetPanelText(int Index, const QString& Text) {
    if (Index < 0 || Index >= PanelCount())
        return;
    FPanels[std::size_t(Index)].Text = Text;
    update(PanelRect(Index));
}

void TFriendlyStatusBar::SetPanelWidth(int Index, int Width) {
    if (Index < 0 || Index >= PanelCount())
        return;
    FPanels[std::size_t(Index)].Width = Width;
    update();
}

void TFriendlyStatusBar::ClearPanels() {
    FPanels.clear();
    update();
}

QRect TFriendlyStatusBar::PanelRect(int Index) const {
    if (Index < 0 || Index >= PanelCount())
        return QRect();
    int x = 0;
    for (int i = 0; i < Index; ++i)
        x = std::min(x + PanelWidth(FPanels[std::size_t(i)]) + 2, 1 << 20);
    const int w =
        Index == PanelCount() - 1 ? std::max(width() - x, 0) : PanelWidth(FPanels[std::size_t(Index)]);
    return QRect(x, 2, w, std::max(height() - 2, 0));
}

void TFriendlyStatusBar::PlaceControl(QWidget* Control, const QRect& Bounds) {
    if (!Control)
        return;
    if (Control->parentWidget() != this)
        Control->setParent(this);
    Control->setGeometry(Bounds);
    if (std::find(FPlaced.begin(), FPlaced.end(), Control) == FPlaced.end())
        FPlaced.emplace_back(Control);
    if (currentMessage().isEmpty()) {
        Control->show();
    } else if (std::find(FCovered.begin(), FCovered.end(), Control) == FCovered.end()) {
        Control->hide();
        FCovered.emplace_back(Control);
    }
}

void TFriendlyStatusBar::paintEvent(QPaintEvent* Event) {
    if (!currentMessage().isEmpty()) {
        QStatusBar::paintEvent(Event);
        return;
    }
    QPainter p(this);
    p.fillRect(rect(), SysQColor(clBtnFace));
    const QColor shadow = SysQColor(clBtnShadow), highlight = SysQColor(clBtnHighlight);
    for (int i = 0; i < PanelCount(); ++i) {
        const TStatusPanel& panel = FPanels[std::size_t(i)];
        const QRect r = PanelRect(i);
        if (r.width() <= 0 || r.height() <= 0)
            continue;
        if (panel.Bevel != pbNone) {
            const QColor topLeft = panel.Bevel == pbLowered ? shadow : highlight;
            const QColor bottomRight = panel.Bevel == pbLowered ? highlight : shadow;
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        }
        if (!panel.Text.isEmpty()) {
            p.setPen(SysQColor(clBtnText));
            p.setFont(font());
            p.setLayoutDirection(panel.Text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
            p.drawText(r.adjusted(2, 1, -2, -1),
                       int(AbsoluteAlignment(panel.Alignment)) | Qt::AlignVCenter | Qt::TextSingleLine,
                       panel.Text);
        }
    }
}
