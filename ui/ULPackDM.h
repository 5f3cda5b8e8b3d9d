#pragma once
// The data module that holds the program's language pack: language 0 Arabic (mirrored layout,
// right-justified texts, right-to-left reading), language 1 English. Created at start before the
// main window; the instance is the global DMLanguagePack.

#include "ui/LanguagePack.h"

#include <QObject>

class TDMLanguagePack : public QObject {
    Q_OBJECT
public:
    explicit TDMLanguagePack(QObject* Owner = nullptr);
    ~TDMLanguagePack() override;

    MLanguagePack* OLanguagePack;
};

extern TDMLanguagePack* DMLanguagePack;

// The station shows its Arabic texts now (false before the language pack exists).
bool ArabicShown();
