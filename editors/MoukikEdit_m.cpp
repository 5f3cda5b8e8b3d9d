#include "editors/MoukikEdit_m.h"

TCarrierFlags CarrierFlagsOf(const QString& Text) {
    TCarrierFlags f{};
    for (const QChar c : Text)
        if (c >= QLatin1Char('1') && c <= QLatin1Char('8'))
            f[std::size_t(c.unicode() - '1')] = true;
    return f;
}

QString CarrierText(const TCarrierFlags& Flags) {
    QString s;
    for (int i = 0; i < 8; ++i)
        if (Flags[std::size_t(i)])
            s += QChar('1' + i);
    return s;
}

TCarrierDigit CarrierDigitAction(int Length, int NumOfDigit) {
    if (Length < NumOfDigit || NumOfDigit == 8)
        return cdToggle;
    return NumOfDigit < 8 ? cdDiscard : cdType;
}

TCarrierTyping CarrierTyping(const QString& Text, int NumOfDigit, bool Enhanced, int Character) {
    TCarrierTyping t;
    t.NewText = Text;
    if (Character == 8)
        return t;
    if (Character < '1' || Character > '8') {
        if (!Enhanced && (Character < 0x20 || Character == 0x7F))
            return t;
        t.Handled = true;
        t.Send = Enhanced;
        return t;
    }
    t.Handled = true;
    switch (CarrierDigitAction(int(Text.size()), NumOfDigit)) {
    case cdDiscard:
        break;
    case cdToggle: {
        TCarrierFlags f = CarrierFlagsOf(Text);
        f[std::size_t(Character - '1')] = !f[std::size_t(Character - '1')];
        t.NewText = CarrierText(f);
        t.Toggled = true;
        break;
    }
    case cdType:
        t.Insert = true;
        break;
    }
    return t;
}

MMoukikEdit::MMoukikEdit(QObject* Owner, QWidget* Parent) : TCarrierCell(Owner, Parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
}
