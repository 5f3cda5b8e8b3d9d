#pragma once
// The bilingual popup menu: as the bilingual main menu, and with M_Arabic on it also pops up to the
// left of the point asked for (alignment right) while right-to-left, to its right otherwise.

#include "ui/AMenus.h"
#include "ui/Adapter.h"

// Where a popup menu stands relative to the point it pops up at.
enum TPopupAlignment { paLeft = 0, paRight = 1, paCenter = 2 };

class MPopupMenu : public TArabPopupMenu, public MLanguageControl {
    Q_OBJECT
public:
    explicit MPopupMenu(QObject* Owner, QWidget* Parent = nullptr);

    int LanguageIndex() const { return FLanguageIndex; }
    bool M_Arabic = true;
    TPopupAlignment Alignment = paLeft;

    // Pops the menu up at a screen point: paLeft puts its left edge there, paRight its right edge,
    // paCenter its middle.
    void Popup(int X, int Y);
    // The top-left corner Popup uses for a menu of that width.
    QPoint PopupOrigin(int X, int Y, int MenuWidth) const;

    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

private:
    int FLanguageIndex = 0;
};
