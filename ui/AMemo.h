#pragma once
// The right-to-left memo: with its Arabic switch on, the lines read right to left and the scroll bar
// is on the left; on a middle-east platform it starts right-justified. Its keyboard layout follows the
// control as in the edit.

#include "ui/AEdit.h"
#include "ui/BiDi.h"

#include <QPlainTextEdit>

class TCustomArabMemo : public TArabTextEntry<QPlainTextEdit> {
    Q_OBJECT
public:
    explicit TCustomArabMemo(QWidget* Parent = nullptr);

    // As the edit's, and the lines are justified again.
    void SetArabic(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

private:
    void ApplyAlignment();
    TAlignment FAlignment;
};

class TArabMemo : public TCustomArabMemo {
    Q_OBJECT
public:
    using TCustomArabMemo::TCustomArabMemo;
};
