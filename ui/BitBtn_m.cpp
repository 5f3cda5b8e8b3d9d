#include "ui/BitBtn_m.h"

#include "ui/control_m.tpp"

#include <QIcon>

template class MBilingualControl<TBitBtn>;

void TBitBtn::SetGlyph(const QPixmap& Glyph) {
    FGlyph = Glyph;
    setIcon(Glyph.isNull() ? QIcon() : QIcon(Glyph));
    if (!Glyph.isNull())
        setIconSize(Glyph.size());
}

MBitBtn::MBitBtn(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcCaption | mcSelfAlignInert | mcFont) {}

void MBitBtn::SetCaption(const QString& Text) {
    setText(Text);
    StoreCaption(Text);
}
