#include "ui/AMemo.h"

#include <QFocusEvent>
#include <QTextOption>

TCustomArabMemo::TCustomArabMemo(QWidget* Parent)
    : QPlainTextEdit(Parent), TArabKeyboardFollower(this), FArabic(MiddleEastEnabled),
      FAlignment(MiddleEastEnabled ? taRightJustify : taLeftJustify) {
    setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
    ApplyAlignment();
}

void TCustomArabMemo::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    setLayoutDirection(Value ? Qt::RightToLeft : Qt::LeftToRight);
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
    o.setTextDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
    document()->setDefaultTextOption(o);
}

void TCustomArabMemo::focusInEvent(QFocusEvent* Event) {
    if (!IsPopupFocusChange(Event))
        Enter();
    QPlainTextEdit::focusInEvent(Event);
}

void TCustomArabMemo::focusOutEvent(QFocusEvent* Event) {
    if (!IsPopupFocusChange(Event))
        Exit();
    QPlainTextEdit::focusOutEvent(Event);
}
