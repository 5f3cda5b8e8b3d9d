#include "editors/FormParts.h"

#include "editors/NumEdit_m.h"
#include "ui/Adapter.h"
#include "ui/RadioButton_m.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/label_m.h"

namespace {

// Places a control and gives it its captions in both languages, showing the English one.
template <class T>
T* Captioned(T* Control, QRect Bounds, const char* Arabic, const char* English) {
    Control->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    Control->M_Caption()->SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    Control->SetCaption(QString::fromUtf8(English));
    return Control;
}

} // namespace

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
    auto* l = Captioned(new MLabel(Owner, Parent), Bounds, Arabic, English);
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
    auto* c = Captioned(new MCheckBox(Owner, Parent), Bounds, Arabic, English);
    c->SetArabic(false);
    c->SetAlignment(taRightJustify);
    return c;
}

MButton* MakeButton(QObject* Owner, QRect Bounds, const char* Arabic, const char* English) {
    auto* b = Captioned(new MButton(Owner), Bounds, Arabic, English);
    b->setAutoDefault(false);
    return b;
}

MRadioButton* MakeRadio(QObject* Owner, QWidget* Parent, QRect Bounds, const char* Arabic,
                        const char* English) {
    auto* r = Captioned(new MRadioButton(Owner, Parent), Bounds, Arabic, English);
    r->SetArabic(false);
    r->SetAlignment(taRightJustify);
    return r;
}
