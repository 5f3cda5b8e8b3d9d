#include "editors/NumEdit_m.h"

namespace {
bool IsSign(QChar C) {
    return C == QLatin1Char('+') || C == QLatin1Char('-');
}
} // namespace

MNumEdit::MNumEdit(QObject* Owner, QWidget* Parent) : TTextCell(Owner, Parent) {
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

bool MNumEdit::TypeCharacter(int Character) {
    const QString t = text();
    const bool signedText = !t.isEmpty() && IsSign(t.at(0));
    const int digits = int(t.size()) - (signedText ? 1 : 0);
    const bool allSelected = selectedText().size() == t.size();
    if ((Character >= '0' && Character <= '9') || Character == 8) {
        if (!allSelected && digits >= FNumOfDigit && Character != 8)
            return true;
        if (Character == 8) {
            backspace();
        } else {
            // A digit typed in front of the sign goes after it: the text stays a number.
            if (signedText && !hasSelectedText() && cursorPosition() == 0)
                setCursorPosition(1);
            insert(QString(QChar(Character)));
        }
        return true;
    }
    if (FSigned && (Character == '+' || Character == '-')) {
        if (t.isEmpty())
            insert(QString(QChar(Character)));
        else
            setText(QString(QChar(Character)) + (signedText ? t.mid(1) : t));
        return true;
    }
    if (FSigned && Character == ' ' && !t.isEmpty()) {
        const QChar sign = signedText && t.at(0) == QLatin1Char('-') ? QLatin1Char('+') : QLatin1Char('-');
        setText(sign + (signedText ? t.mid(1) : t));
        return true;
    }
    if (Enhanced()) {
        SendChar(Character);
        return true;
    }
    // Without Enhanced the edit keeps its own control keys; anything else is refused.
    return !(Character < 0x20 || Character == 0x7F);
}
