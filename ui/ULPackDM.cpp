#include "ui/ULPackDM.h"

TDMLanguagePack* DMLanguagePack = nullptr;

TDMLanguagePack::TDMLanguagePack(QObject* Owner) : QObject(Owner), OLanguagePack(new MLanguagePack(this)) {
    MLanguagePack& p = *OLanguagePack;
    p.SetLanguageCount(2);
    p.MasterFollow = false;
    // Every slot: following the pack, the same font.
    for (int i = 0; i < LanguageSlotCount; ++i)
        p.Detail(i)->LanguagePackFollow = true;
    MLanguageDetail& ar = *p.Detail(LanguageArabic);
    ar.LanguageName = QStringLiteral("العربية");
    ar.SetAlignEnable(true);
    ar.SetSelfAlignEnable(true);
    ar.SetArabicEnable(true);
    MLanguageDetail& en = *p.Detail(LanguageEnglish);
    en.LanguageName = QStringLiteral("English");
    // The pack starts on language 0 as it is stored; the main window sets the chosen one when shown.
    if (!DMLanguagePack)
        DMLanguagePack = this;
}

TDMLanguagePack::~TDMLanguagePack() {
    if (DMLanguagePack == this)
        DMLanguagePack = nullptr;
}

bool ArabicShown() {
    return DMLanguagePack && DMLanguagePack->OLanguagePack->LanguageNumber() != LanguageEnglish;
}
