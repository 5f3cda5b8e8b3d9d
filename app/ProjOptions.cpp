#include "app/ProjOptions.h"

#include "app/UMainSettings.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "ui/ComboEdit.h"
#include "ui/UApplication.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/label_m.h"
#include "ui/panel_m.h"

#include <QPushButton>

#include <algorithm>
#include <memory>

TFormProjOptions::TFormProjOptions(QWidget* Parent) : MModalForm(Parent) {
    PrepareForm(*this, 424, 296, QStringLiteral("خيارات"), QStringLiteral("Options"));
    setObjectName(QStringLiteral("FormProjOptions"));

    MPanel1 = new MPanel(this, this);
    MPanel1->SetBounds(8, 8, 408, 122);
    auto path = [this](int Top, MLabel*& Label, TFilenameEdit*& Edit, const char* Arabic,
                       const char* English) {
        Label = MakeLabel(this, MPanel1, QRect(10, Top + 3, 100, 16), Arabic, English);
        Edit = new TFilenameEdit(MPanel1);
        Edit->setGeometry(112, Top, 284, 21);
        Edit->SetFilter(QStringLiteral("Programs (*)|*"));
    };
    path(12, LblZodeZidaded, FNEdtZodeZidaded, "مدير الأقراص", "Disk Manager");
    path(48, LblBrowser, FNEdtBrowser, "المتصفح", "Browser");
    path(84, LblJxw666, FNEdtJxw666, "JXW666", "JXW666");

    chkCancelHint = MakeCheck(this, this, QRect(16, 140, 392, 18), "عدم إظهار التلميح في القوائم",
                              "Don't show hint in List Boxes");
    chkCancelValidate = MakeCheck(this, this, QRect(16, 164, 392, 18), "إلغاء التحقق التلقائي في القوائم",
                                  "Cancel auto check in list boxes");
    chkAutoHideTools = MakeCheck(this, this, QRect(16, 188, 392, 18), "إخفاء أدوات الرسم تلقائيا",
                                 "Auti hide graphics tools");
    MNumMinutes = MakeEdit(this, this, QRect(124, 216, 40, 21), false);
    MNumMinutes->SetNumOfDigit(3);
    MNumMinutes->setText(QStringLiteral("3"));
    LblMinutes1 = MakeEditLabel(this, this, 16, 106, MNumMinutes, "حفظ تلقائي كل ", "Auto save every ");
    LblMinutes2 = MakeEditLabel(this, this, 172, 80, MNumMinutes, "دقيقة", "Minutes");

    btnOK = MakeButton(this, QRect(260, 260, 75, 25), "موافق", "OK");
    btnCancel = MakeButton(this, QRect(341, 260, 75, 25), "إلغاء", "Cancel");
    connect(btnOK, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    SetDefaultButton(btnOK);
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    FinishLoading();
    OnAfterLanguageChange = [this](MForm*, int) { PlaceEdits(); };
    PlaceEdits();
}

// The file-name edits read left to right in every language; they stand beside their labels, which
// the language mirrors.
void TFormProjOptions::PlaceEdits() {
    const int left = RightToLeftStyle() ? MPanel1->width() - 112 - 284 : 112;
    for (TFilenameEdit* e : {FNEdtZodeZidaded, FNEdtBrowser, FNEdtJxw666})
        e->move(left, e->y());
}

TFormProjOptions::~TFormProjOptions() = default;

bool TFormProjOptions::Execute() {
    FAccepted = ShowModal() == mrOk;
    return FAccepted;
}

void TFormProjOptions::SetPath(TFilenameEdit* Edit, const QString& Path) {
    try {
        Edit->SetFileName(Path);
    } catch (const EComboEditError& e) {
        // A stored path the edit refuses must not keep the dialog from opening: it stands as it is,
        // for the person to mend, and the edit's error is shown.
        Edit->setText(Path);
        TApplication::ShowException(e);
    }
}

void TFormProjOptions::SetBrowserPath(const QString& Path) {
    SetPath(FNEdtBrowser, Path);
}
void TFormProjOptions::SetJxw666Path(const QString& Path) {
    SetPath(FNEdtJxw666, Path);
}
void TFormProjOptions::SetZodeZidadedPath(const QString& Path) {
    SetPath(FNEdtZodeZidaded, Path);
}
void TFormProjOptions::SetAutoValidate(bool Value) {
    chkCancelValidate->setChecked(!Value);
}
void TFormProjOptions::SetShowHint(bool Value) {
    chkCancelHint->setChecked(!Value);
}
void TFormProjOptions::SetMinutes(int Value) {
    MNumMinutes->SetValue(Value);
}
void TFormProjOptions::SetAutoHide(bool Value) {
    chkAutoHideTools->setChecked(Value);
}

QString TFormProjOptions::GetBrowserPath() const {
    return FNEdtBrowser->FileName();
}
QString TFormProjOptions::GetJxw666Path() const {
    return FNEdtJxw666->FileName();
}
QString TFormProjOptions::GetZodeZidadedPath() const {
    return FNEdtZodeZidaded->FileName();
}
bool TFormProjOptions::GetAutoValidate() const {
    return !chkCancelValidate->isChecked();
}
bool TFormProjOptions::GetShowHint() const {
    return !chkCancelHint->isChecked();
}

int TFormProjOptions::GetMinutes() {
    const int minutes = ClampDeskTopMinutes(MNumMinutes->Value());
    MNumMinutes->SetValue(minutes);
    return minutes;
}

bool TFormProjOptions::GetAutoHide() const {
    return chkAutoHideTools->isChecked();
}

bool ExecuteProjOptions(TMainSettings& Settings) {
    auto dialog = std::make_unique<TFormProjOptions>();
    dialog->SetBrowserPath(Settings.BrowserPath);
    dialog->SetJxw666Path(Settings.Jxw666Path);
    dialog->SetZodeZidadedPath(Settings.ZodeZidadedPath);
    dialog->SetAutoValidate(Settings.ListsAutoValidate);
    dialog->SetShowHint(Settings.ListBoxShowHint);
    dialog->SetMinutes(Settings.DeskTopMinutes);
    dialog->SetAutoHide(Settings.AutoHideToolBars);
    if (!dialog->Execute())
        return false;
    Settings.BrowserPath = dialog->GetBrowserPath();
    Settings.Jxw666Path = dialog->GetJxw666Path();
    Settings.ZodeZidadedPath = dialog->GetZodeZidadedPath();
    Settings.ListsAutoValidate = dialog->GetAutoValidate();
    Settings.ListBoxShowHint = dialog->GetShowHint();
    Settings.DeskTopMinutes = dialog->GetMinutes();
    Settings.AutoHideToolBars = dialog->GetAutoHide();
    return true;
}
