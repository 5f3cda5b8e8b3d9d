#include "app/UFormImportModulePrperty.h"

#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "ui/edit_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

TFormModulePrperty::TFormModulePrperty(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 300, 120, QStringLiteral("نافذة الاستيراد"), QStringLiteral("Import Window"));
    setObjectName(QStringLiteral("FormModulePrperty"));
    pnlRename = new MPanel(this, this);
    pnlRename->setObjectName(QStringLiteral("pnlRename"));
    pnlRename->SetBounds(12, 12, 276, 52);
    pnlRename->M_Caption()->SetCaptions({QString(), QString()});
    pnlRename->SetCaption(QString());
    MakeLabel(this, pnlRename, QRect(10, 18, 60, 16), "الوحدة", "Module")->setObjectName("MLabel1");
    edtModuleName = new MEdit(this, pnlRename);
    edtModuleName->setObjectName(QStringLiteral("edtModuleName"));
    edtModuleName->SetBounds(76, 15, 190, 21);
    edtModuleName->SetArabic(false);

    pnlDivide = new MPanel(this, this);
    pnlDivide->setObjectName(QStringLiteral("pnlDivide"));
    pnlDivide->SetBounds(12, 12, 276, 52);
    pnlDivide->M_Caption()->SetCaptions({QString(), QString()});
    pnlDivide->SetCaption(QString());
    MNumS2 = MakeEdit(this, pnlDivide, QRect(186, 15, 60, 21), false);
    MNumS2->setObjectName(QStringLiteral("MNumS2"));
    MNumS2->SetValue(1);
    MakeEditLabel(this, pnlDivide, 10, 40, MNumS2, "من", "From")->setObjectName("MLabel3");
    lblS1 = MakeEditLabel(this, pnlDivide, 54, 70, MNumS2, "S", "S");
    lblS1->setObjectName(QStringLiteral("lblS1"));
    MakeEditLabel(this, pnlDivide, 130, 50, MNumS2, "إلى", "to")->setObjectName("MLabel2");

    btnOK = OkButton(QRect(60, 80, 80, 25));
    btnCancel = CancelButton(QRect(160, 80, 80, 25));
    FinishLayout();
    SetMode(true);
}

void TFormModulePrperty::SetMode(bool Rename) {
    FRename = Rename;
    pnlRename->setVisible(Rename);
    pnlDivide->setVisible(!Rename);
}

void TFormModulePrperty::DOAfterLanguageChange(int aNewLanguage) {
    TPictureDialog::DOAfterLanguageChange(aNewLanguage);
    // The language shows every control again: only the mode's panel stays.
    if (pnlDivide)
        SetMode(FRename);
}

void TFormModulePrperty::SetModuleName(const QString& Name) {
    edtModuleName->setText(Name);
}

QString TFormModulePrperty::GetModuleName() const {
    return edtModuleName->text();
}

void TFormModulePrperty::SetFromS(int N) {
    const QString text = QStringLiteral("S") + QString::number(N);
    lblS1->M_Caption()->SetCaptions({text, text});
    lblS1->SetCaption(text);
}

void TFormModulePrperty::SetToS(int N) {
    MNumS2->SetValue(N);
}

int TFormModulePrperty::GetToS() const {
    return MNumS2->Value();
}
