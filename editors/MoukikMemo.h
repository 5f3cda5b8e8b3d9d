#pragma once
// The carrier memo: the yarn-carrier set cell of the Z rows as a memo without scroll bars. It types
// and reads as the carrier edit and exchanges its set with an MbitsMap: the set a Z row keeps per
// cam system goes in and comes out without touching anything else of the row's map (the value byte
// of an MffMap stays where it is when the row assigns the map back).

#include "editors/CellInput.h"
#include "editors/MoukikEdit_m.h"
#include "model/UColors.h"
#include "ui/AMemo.h"

class TMoukikMEMO : public TTextCell<TArabMemo> {
    Q_OBJECT
public:
    explicit TMoukikMEMO(QWidget* Parent = nullptr);

    QString Text() const { return toPlainText(); }
    void SetText(const QString& Value);
    int NumOfDigit() const { return FNumOfDigit; }
    void SetNumOfDigit(int Value) { FNumOfDigit = Value; }
    int Value() const { return CellTextValue(Text()); }
    void SetValue(int Value) { SetText(Value == 0 ? QString() : QString::number(Value)); }
    const TCarrierFlags& Flags() const { return FFlags; }
    bool Carrier(int Number) const { return Number >= 1 && Number <= 8 && FFlags[std::size_t(Number - 1)]; }

    // Writing copies the set into the memo's own map and shows the digits i + 1 of its members i
    // among 0..7; reading clears bits 0..7 of that map, sets bit i for every digit i + 1 in the text
    // and gives the map.
    void SetBitsMap(const MbitsMap& Map);
    const MbitsMap& GetBitsMap();

    bool TypeCharacter(int Character);

    TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int FNumOfDigit = 8;
    TCarrierFlags FFlags{};
    MbitsMap FMap;
};
