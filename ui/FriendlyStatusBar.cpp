#include "ui/FriendlyStatusBar.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {
// The status tip: the bar's face with the message on it, from the reading side.
class TStatusTip : public QWidget {
public:
    explicit TStatusTip(QStatusBar* Bar) : QWidget(Bar), FBar(Bar) { hide(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), SysQColor(clBtnFace));
        const QString text = FBar->currentMessage();
        p.setPen(SysQColor(clBtnText));
        p.setFont(FBar->font());
        p.setLayoutDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        const QRect r = rect().adjusted(4, 0, -4, 0);
        p.drawText(r, Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
    }

private:
    QStatusBar* FBar;
};
} // namespace

TFriendlyStatusBar::TFriendlyStatusBar(QWidget* Parent) : QStatusBar(Parent), FTip(new TStatusTip(this)) {
    // The panels run from the left in both languages; their texts are bidirectional on their own.
    setLayoutDirection(Qt::LeftToRight);
    setSizeGripEnabled(false);
    setMinimumHeight(19);
    connect(this, &QStatusBar::messageChanged, this, &TFriendlyStatusBar::MessageChanged);
    WatchParent();
}

bool TFriendlyStatusBar::RightToLeftWindow() const {
    const QWidget* parent = parentWidget();
    return parent != nullptr && parent->layoutDirection() == Qt::RightToLeft;
}

TAlignment TFriendlyStatusBar::ShownAlignment(int Index) const {
    if (Index < 0 || Index >= PanelCount())
        return taLeftJustify;
    const TAlignment a = FPanels[std::size_t(Index)].Alignment;
    if (!RightToLeftWindow() || a == taCenter)
        return a;
    return a == taLeftJustify ? taRightJustify : taLeftJustify;
}

void TFriendlyStatusBar::WatchParent() {
    if (FWatched == parentWidget())
        return;
    if (FWatched)
        FWatched->removeEventFilter(this);
    FWatched = parentWidget();
    if (FWatched)
        FWatched->installEventFilter(this);
}

bool TFriendlyStatusBar::event(QEvent* Event) {
    if (Event->type() == QEvent::ParentChange) {
        WatchParent();
        update();
    }
    return QStatusBar::event(Event);
}

bool TFriendlyStatusBar::eventFilter(QObject* Watched, QEvent* Event) {
    // The window switched its language's direction: the panels take the other justification.
    if (Watched == FWatched && Event->type() == QEvent::LayoutDirectionChange)
        update();
    return QStatusBar::eventFilter(Watched, Event);
}

void TFriendlyStatusBar::MessageChanged(const QString& Text) {
    if (Text.isEmpty()) {
        FTip->hide();
        return;
    }
    FTip->setGeometry(rect());
    FTip->raise();
    FTip->show();
    FTip->update();
}

void TFriendlyStatusBar::resizeEvent(QResizeEvent* Event) {
    QStatusBar::resizeEvent(Event);
    FTip->setGeometry(rect());
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
    Control->show();
    // A control placed while a tip shows stays under it.
    if (!FTip->isHidden())
        FTip->raise();
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
                       int(AbsoluteAlignment(ShownAlignment(i))) | Qt::AlignVCenter | Qt::TextSingleLine,
                       panel.Text);
        }
    }
}
