#pragma once
// The bilingual main menu. Its items are components of their own and switch their captions
// themselves; the menu keeps the language index and, with M_Arabic on, follows the right-to-left
// switch (items ordered from the right).

#include "ui/AMenus.h"
#include "ui/Adapter.h"

class MMainMenu : public TArabMainMenu, public MLanguageControl {
    Q_OBJECT
public:
    explicit MMainMenu(QObject* Owner, QWidget* Parent = nullptr);

    int LanguageIndex() const { return FLanguageIndex; }
    bool M_Arabic = true;

    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

private:
    int FLanguageIndex = 0;
};
