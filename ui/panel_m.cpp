#include "ui/panel_m.h"

#include "ui/control_m.tpp"

#include <QPainter>

template class MBilingualControl<TPanel>;

TPanel::TPanel(QWidget* Parent) : QFrame(Parent) {
    SetBevelOuter(bvRaised);
}

void TPanel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    update();
}

void TPanel::SetBevelOuter(TPanelBevel Value) {
    FBevelOuter = Value;
    switch (Value) {
    case bvNone:
        setFrameStyle(QFrame::NoFrame);
        break;
    case bvLowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case bvRaised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
}

void TPanel::SetOwnerCaption(const QString& Text) {
    if (Text == FCaption)
        return;
    FCaption = Text;
    update();
}

void TPanel::paintEvent(QPaintEvent* Event) {
    QFrame::paintEvent(Event);
    if (FCaption.isEmpty())
        return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(AbsoluteAlignment(FAlignment) | Qt::AlignVCenter), FCaption);
}

MPanel::MPanel(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcFont | mcForward) {}

MPanel::~MPanel() {
    // The panel's own components go while it is still whole.
    DestroyComponents();
}

void MPanel::SetCaption(const QString& Text) {
    SetOwnerCaption(Text);
    StoreCaption(Text);
}
