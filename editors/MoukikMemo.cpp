#include "editors/MoukikMemo.h"

#include <QTextCursor>

TMoukikMEMO::TMoukikMEMO(QWidget* Parent) : TCarrierCell(Parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAcceptDrops(false);
    // Carrier digits read from the left in both languages.
    SetAlignment(taLeftJustify);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { TextChanged(); });
}

void TMoukikMEMO::SetText(const QString& Value) {
    if (Value == Text())
        return;
    setPlainText(Value);
    moveCursor(QTextCursor::End);
}

void TMoukikMEMO::SetBitsMap(const MbitsMap& Map) {
    FMap.Assign(Map);
    TCarrierFlags f{};
    for (int i = 0; i < 8; ++i)
        f[std::size_t(i)] = Map.IsSet(i);
    SetText(CarrierText(f));
}

const MbitsMap& TMoukikMEMO::GetBitsMap() {
    const TCarrierFlags f = CarrierFlagsOf(Text());
    for (int i = 0; i < 8; ++i)
        FMap.SetBit(i, f[std::size_t(i)] ? 1 : 0);
    return FMap;
}

void TMoukikMEMO::EraseBack() {
    QTextCursor c = textCursor();
    c.deletePreviousChar();
    setTextCursor(c);
}
