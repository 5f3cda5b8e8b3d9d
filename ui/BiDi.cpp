#include "ui/BiDi.h"

#include "ui/KeyboardLayout.h"

bool MiddleEastEnabled = true;

QString LayoutName(unsigned Id) {
    return QStringLiteral("%1").arg(Id, 8, 16, QLatin1Char('0')).toUpper();
}

bool IsArabicKeyboard() {
    return MKeyboardLayouts::Instance().IsArabicKeyboard();
}

void SelectKeyboardLayout(bool Arabic) {
    MKeyboardLayouts::Instance().SelectKeyboardLayout(Arabic);
}

Qt::Alignment AbsoluteAlignment(TAlignment Alignment) {
    switch (Alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignAbsolute;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignAbsolute;
}
