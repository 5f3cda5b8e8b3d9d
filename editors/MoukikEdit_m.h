#pragma once
// The yarn-carrier set cells. A set is a choice among the carriers 1..8 of a rail, shown as its
// carrier digits in ascending order ("1358"); typing a digit toggles its carrier. MMoukikEdit is the
// single-line cell of the P rows; the memo variant is in MoukikMemo.h.

#include "editors/CellInput.h"
#include "ui/edit_m.h"

#include <array>

// Carrier i + 1 is in the set when flag i is set.
using TCarrierFlags = std::array<bool, 8>;

// Every flag i set when the digit i + 1 occurs anywhere in the text.
TCarrierFlags CarrierFlagsOf(const QString& Text);
// The digits of the set flags, ascending.
QString CarrierText(const TCarrierFlags& Flags);

// What a typed carrier digit does, by the length of the text and NumOfDigit.
enum TCarrierDigit { cdDiscard, cdToggle, cdType };
TCarrierDigit CarrierDigitAction(int Length, int NumOfDigit);

// The typing rules of both carrier cells over a text: true when Character was handled (a digit
// toggled, typed or refused, anything else sent or refused); NewText is then the text to show
// (unchanged when nothing changes) and Insert true when the character is typed as it is; Send is
// true when the character goes to the row. False for Backspace and, without Enhanced, for control
// characters, which the control keeps.
struct TCarrierTyping {
    bool Handled = false;
    bool Toggled = false;
    bool Insert = false;
    bool Send = false;
    QString NewText;
};
TCarrierTyping CarrierTyping(const QString& Text, int NumOfDigit, bool Enhanced, int Character);

class MMoukikEdit : public TTextCell<MEdit> {
    Q_OBJECT
public:
    explicit MMoukikEdit(QObject* Owner, QWidget* Parent = nullptr);

    int NumOfDigit() const { return FNumOfDigit; }
    void SetNumOfDigit(int Value) { FNumOfDigit = Value; }
    // The text as a decimal number (the set {1, 3, 5} reads 135; 0 when empty, not a number or too
    // large); writing 0 empties the text, any other value shows its digits.
    int Value() const { return CellTextValue(text()); }
    void SetValue(int Value);
    const TCarrierFlags& Flags() const { return FFlags; }
    bool Carrier(int Number) const { return Number >= 1 && Number <= 8 && FFlags[std::size_t(Number - 1)]; }

    bool TypeCharacter(int Character);

    // After every change of the text (the flags are already up to date).
    TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int FNumOfDigit = 8;
    TCarrierFlags FFlags{};
};
