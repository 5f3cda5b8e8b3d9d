#include "editors/FormParts.h"

#include "editors/NumEdit_m.h"
#include "ui/Adapter.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/label_m.h"

void PrepareForm(MForm& Form, int Width, int Height, const QString& Arabic, const QString& English) {
    Form.resize(Width, Height);
    new MLanguageAdapter(&Form);
    if (DMLanguagePack)
        Form.SetLanguagePack(DMLanguagePack->OLanguagePack);
    Form.SetResourceLanguage(LanguageEnglish);
    Form.MasterAdapter = false;
    Form.M_Caption().SetCaptions({Arabic, English});
    Form.SetCaption(English);
    Form.LanguageDetail().Font().ApplyTo(&Form);
}

MLabel* MakeLabel(QObject* Owner, QWidget* Parent, QRect Bounds, const char* Arabic, const char* English) {
    auto* l = new MLabel(Owner, Parent);
    l->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    l->M_Caption()->SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    l->SetCaption(QString::fromUtf8(English));
    l->SetArabic(false);
    l->SetAlignment(taLeftJustify);
    return l;
}

MLabel* MakeEditLabel(QObject* Owner, QWidget* Parent, int Left, int Width, const MNumEdit* Edit,
                      const char* Arabic, const char* English) {
    MLabel* l = MakeLabel(Owner, Parent, QRect(Left, Edit->y(), Width, 16), Arabic, English);
    const int editLine = Edit->fontMetrics().height(), labelLine = l->fontMetrics().height();
    const int editText = (Edit->height() - editLine + 1) / 2;
    l->move(Left, Edit->y() + editText + (editLine - labelLine) / 2);
    return l;
}

MNumEdit* MakeEdit(QObject* Owner, QWidget* Parent, QRect Bounds, bool Signed) {
    auto* e = new MNumEdit(Owner, Parent);
    e->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    e->SetNumOfDigit(4);
    e->SetSigned(Signed);
    e->SetArabic(false);
    return e;
}

MCheckBox* MakeCheck(QObject* Owner, QWidget* Parent, QRect Bounds, const char* Arabic, const char* English) {
    auto* c = new MCheckBox(Owner, Parent);
    c->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    c->M_Caption()->SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    c->SetCaption(QString::fromUtf8(English));
    c->SetArabic(false);
    c->SetAlignment(taRightJustify);
    return c;
}

MButton* MakeButton(QObject* Owner, QRect Bounds, const char* Arabic, const char* English) {
    auto* b = new MButton(Owner);
    b->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    b->M_Caption()->SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    b->SetCaption(QString::fromUtf8(English));
    b->setAutoDefault(false);
    return b;
}
