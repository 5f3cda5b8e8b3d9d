#include "ui/ALabel.h"

QString LabelText(QString Text) {
    Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return Text;
}

TCustomArabLabel::TCustomArabLabel(QWidget* Parent)
    : QLabel(Parent), FArabic(MiddleEastEnabled),
      FAlignment(MiddleEastEnabled ? taRightJustify : taLeftJustify) {
    ApplyText();
}

void TCustomArabLabel::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyText();
    update();
}

void TCustomArabLabel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    ApplyText();
}

void TCustomArabLabel::ApplyText() {
    // The reading order is the label's own direction; the justification stays where it was set.
    setLayoutDirection(FArabic && MiddleEastEnabled ? Qt::RightToLeft : Qt::LeftToRight);
    setAlignment(AbsoluteAlignment(FAlignment) | Qt::AlignTop);
}

QSize TCustomArabLabel::sizeHint() const {
    // An empty caption is measured as one blank, so an empty label keeps the height of a line.
    if (!text().isEmpty())
        return QLabel::sizeHint();
    const QFontMetrics fm(font());
    const QMargins m = contentsMargins();
    return QSize(fm.horizontalAdvance(QLatin1Char(' ')) + m.left() + m.right(),
                 fm.height() + m.top() + m.bottom());
}

QSize TCustomArabLabel::minimumSizeHint() const {
    return text().isEmpty() ? sizeHint() : QLabel::minimumSizeHint();
}
