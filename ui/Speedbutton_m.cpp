#include "ui/Speedbutton_m.h"

#include "ui/control_m.tpp"

#include <QIcon>

template class MBilingualControl<TSpeedButton>;

TSpeedButton::TSpeedButton(QWidget* Parent) : QToolButton(Parent) {
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::SetGlyph(const QPixmap& Glyph) {
    FGlyph = Glyph;
    setIcon(Glyph.isNull() ? QIcon() : QIcon(Glyph));
    if (!Glyph.isNull())
        setIconSize(Glyph.size());
}

MSpeedButton::MSpeedButton(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcSelfAlignInert | mcFont) {}

void MSpeedButton::SetCaption(const QString& Text) {
    setText(Text);
    StoreCaption(Text);
}
