#include "editors/MoukikMemo.h"

#include <QTextCursor>

TMoukikMEMO::TMoukikMEMO(QWidget* Parent) : TTextCell(Parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAcceptDrops(false);
    // Carrier digits read from the left in both languages.
    SetAlignment(taLeftJustify);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        FFlags = CarrierFlagsOf(Text());
        if (OnChange)
            OnChange(this);
    });
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

bool TMoukikMEMO::TypeCharacter(int Character) {
    if (Character == 8) {
        QTextCursor c = textCursor();
        c.deletePreviousChar();
        setTextCursor(c);
        return true;
    }
    const TCarrierTyping t = CarrierTyping(Text(), FNumOfDigit, Enhanced(), Character);
    if (t.Send)
        SendChar(Character);
    if (t.Insert)
        insertPlainText(QString(QChar(Character)));
    else if (t.Toggled)
        SetText(t.NewText);
    return t.Handled;
}

void TMoukikMEMO::keyPressEvent(QKeyEvent* Event) {
    const TCellKey k = ClassifyCellKey(Event);
    bool done = ForwardKeyDown(k, EditCellForwardsKey(k));
    if (k.Character >= 0)
        done = TypeCharacter(k.Character) || done;
    if (done)
        Event->accept();
    else
        TTextCell::keyPressEvent(Event);
}
