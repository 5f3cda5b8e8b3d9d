#pragma once
// The number cell: the integer cell of the module rows. It takes at most NumOfDigit digits (a
// leading sign not counted, a digit typed in front of it going after it), a sign when Signed (typing
// "+" or "-" sets the sign, Space flips it), colours itself by focus and, with Enhanced, hands the navigation
// and command keys and every character it does not take to its row as the cell key message.

#include "editors/CellInput.h"
#include "ui/edit_m.h"

class MNumEdit : public TTextCell<MEdit> {
    Q_OBJECT
public:
    explicit MNumEdit(QObject* Owner, QWidget* Parent = nullptr);

    bool Signed() const { return FSigned; }
    void SetSigned(bool Value) { FSigned = Value; }
    // Stored as given; the text is not shortened.
    int NumOfDigit() const { return FNumOfDigit; }
    void SetNumOfDigit(int Value) { FNumOfDigit = Value; }
    // The text as a decimal number (0 when empty, not a number or too large); writing shows the
    // decimal form ("-" before negatives, no "+").
    int Value() const { return CellTextValue(text()); }
    void SetValue(int Value) { setText(QString::number(Value)); }

    // Types one character by the cell's rules (what a key press does after its key-down part).
    // False when the character is left to the edit itself (a control character of a cell without
    // Enhanced: copy, paste, Enter for the dialog).
    bool TypeCharacter(int Character) override;

    // After every change of the text.
    TNotifyEvent OnChange;

private:
    bool FSigned = false;
    int FNumOfDigit = 4;
};
