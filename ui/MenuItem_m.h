#pragma once
// The bilingual menu item: its caption per language. Its form calls its two language operations
// directly (take the index; change the language).

#include "ui/Adapter.h"
#include "ui/subcaption.h"

#include <QAction>

#include <memory>

class MMenuItem : public QAction, public MLanguageControl {
    Q_OBJECT
public:
    // Owner: the component owner (normally the form); it is the Qt parent too.
    explicit MMenuItem(QObject* Owner);
    ~MMenuItem() override;

    int LanguageIndex() const { return FLanguageIndex; }
    MCaption& M_Caption() const { return *FCaption; }

    QString Caption() const { return text(); }
    // Sets the item's caption and, unless the form is being built, records it for the shown
    // language.
    void SetCaption(const QString& Text);

    // Message 0x5F4: take the index without applying anything.
    void SetLanguageIndex(int Index);
    // Message 0x5F5: take a different index and show its caption.
    void ChangeLanguage(int Index);

    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

private:
    int FLanguageIndex = 0;
    std::unique_ptr<MCaption> FCaption;
};
