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

// What both carrier cells share over their text control Base: the set's flags, NumOfDigit, the
// value and the typing rules. The kind says how its text is read, shown, typed into and erased, and
// calls TextChanged after every change of it.
template <class Base>
class TCarrierCell : public TTextCell<Base> {
public:
    using TTextCell<Base>::TTextCell;

    int NumOfDigit() const { return FNumOfDigit; }
    void SetNumOfDigit(int Value) { FNumOfDigit = Value; }
    // The text as a decimal number (the set {1, 3, 5} reads 135; 0 when empty, not a number or too
    // large); writing 0 empties the text, any other value shows its digits.
    int Value() const { return CellTextValue(CellText()); }
    void SetValue(int Value) { ShowText(Value == 0 ? QString() : QString::number(Value)); }
    const TCarrierFlags& Flags() const { return FFlags; }
    bool Carrier(int Number) const { return Number >= 1 && Number <= 8 && FFlags[std::size_t(Number - 1)]; }

    // No carriers.
    void ClearCell() override { ShowText(QString()); }

    bool TypeCharacter(int Character) override {
        if (Character == 8) {
            EraseBack();
            return true;
        }
        const TCarrierTyping t = CarrierTyping(CellText(), FNumOfDigit, this->Enhanced(), Character);
        if (t.Send)
            this->SendChar(Character);
        if (t.Insert)
            InsertText(QString(QChar(Character)));
        else if (t.Toggled)
            ShowText(t.NewText);
        return t.Handled;
    }

    // After every change of the text (the flags are already up to date).
    TNotifyEvent OnChange;

protected:
    virtual QString CellText() const = 0;
    virtual void ShowText(const QString& Text) = 0;
    // At the cursor.
    virtual void InsertText(const QString& Text) = 0;
    // The character before the cursor.
    virtual void EraseBack() = 0;
    void TextChanged() {
        FFlags = CarrierFlagsOf(CellText());
        if (OnChange)
            OnChange(this);
    }

private:
    int FNumOfDigit = 8;
    TCarrierFlags FFlags{};
};

class MMoukikEdit : public TCarrierCell<MEdit> {
    Q_OBJECT
public:
    explicit MMoukikEdit(QObject* Owner, QWidget* Parent = nullptr);

protected:
    QString CellText() const override { return text(); }
    void ShowText(const QString& Text) override { setText(Text); }
    void InsertText(const QString& Text) override { insert(Text); }
    void EraseBack() override { backspace(); }
};
