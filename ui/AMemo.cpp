#include "ui/AMemo.h"

#include <QTextOption>

TCustomArabMemo::TCustomArabMemo(QWidget* Parent)
    : TArabTextEntry(Parent), FAlignment(MiddleEastEnabled ? taRightJustify : taLeftJustify) {
    ApplyAlignment();
}

void TCustomArabMemo::SetArabic(bool Value) {
    if (!StoreArabic(Value))
        return;
    ApplyAlignment();
    ArabicChanged(Value);
}

void TCustomArabMemo::SetAlignment(TAlignment Value) {
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    ApplyAlignment();
}

void TCustomArabMemo::ApplyAlignment() {
    QTextOption o = document()->defaultTextOption();
    o.setAlignment(AbsoluteAlignment(FAlignment));
    o.setTextDirection(Arabic() ? Qt::RightToLeft : Qt::LeftToRight);
    document()->setDefaultTextOption(o);
}
