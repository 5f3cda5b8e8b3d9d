#pragma once
// Right-to-left support of the platform and switching the keyboard layout between Arabic and US
// English.

#include <QString>

// True when the platform supports right-to-left layout; every Arabic switch starts as this flag and
// ignores changes while it is False. Set once at start (True here); tests may change it.
extern bool MiddleEastEnabled;

// The two keyboard layouts the program switches between, and their names (eight hex digits).
constexpr unsigned ArabicLayoutId = 0x401;
constexpr unsigned EnglishLayoutId = 0x409;
QString LayoutName(unsigned Id);
inline QString ArabicLayoutName() {
    return LayoutName(ArabicLayoutId);
}
inline QString EnglishLayoutName() {
    return LayoutName(EnglishLayoutId);
}

// True when the active keyboard layout is the Arabic one.
bool IsArabicKeyboard();
// Makes the Arabic or the English layout active (nothing when it already is).
void SelectKeyboardLayout(bool Arabic);

#include <Qt>

// Horizontal justification as the controls store it. On screen it is always absolute, so that a
// right-to-left control does not swap it a second time.
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
Qt::Alignment AbsoluteAlignment(TAlignment Alignment);
