#pragma once
// The carrier memo: the yarn-carrier set cell of the Z rows as a memo without scroll bars. It types
// and reads as the carrier edit and exchanges its set with an MbitsMap: the set a Z row keeps per
// cam system goes in and comes out without touching anything else of the row's map (the value byte
// of an MffMap stays where it is when the row assigns the map back).

#include "editors/CellInput.h"
#include "editors/MoukikEdit_m.h"
#include "model/UColors.h"
#include "ui/AMemo.h"

class TMoukikMEMO : public TCarrierCell<TArabMemo> {
    Q_OBJECT
public:
    explicit TMoukikMEMO(QWidget* Parent = nullptr);

    QString Text() const { return toPlainText(); }
    void SetText(const QString& Value);

    // Writing copies the set into the memo's own map and shows the digits i + 1 of its members i
    // among 0..7; reading clears bits 0..7 of that map, sets bit i for every digit i + 1 in the text
    // and gives the map.
    void SetBitsMap(const MbitsMap& Map);
    const MbitsMap& GetBitsMap();

protected:
    QString CellText() const override { return Text(); }
    void ShowText(const QString& Text) override { SetText(Text); }
    void InsertText(const QString& Text) override { insertPlainText(Text); }
    void EraseBack() override;

private:
    MbitsMap FMap;
};
