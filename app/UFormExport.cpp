#include "app/UFormExport.h"

#include "app/UModuleForms.h"
#include "app/UPrjContainer.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "ui/checkbox_m.h"
#include "ui/combobox_m.h"
#include "ui/edit_m.h"
#include "ui/label_m.h"

namespace {
void ShowRefusal(const MException& E) {
    if (MessageBox)
        MessageBox->ShowCodeMessage(E.Code, E.SubCode, E.Args, mbOK);
}
} // namespace

TFormExport::TFormExport(TPrjContainer& Project, QWidget* Parent)
    : TPictureDialog(Parent), FProject(Project) {
    PrepareForm(*this, 330, 220, QStringLiteral("نافذة التصدير"), QStringLiteral("Export Window"));
    setObjectName(QStringLiteral("FormExport"));
    MakeLabel(this, this, QRect(12, 17, 100, 16), "اسم الوحدة", "Module Name")
        ->setObjectName("lblModuleName");
    edtModuleName = new MEdit(this, this);
    edtModuleName->setObjectName(QStringLiteral("edtModuleName"));
    edtModuleName->SetBounds(116, 14, 200, 21);
    edtModuleName->SetArabic(false);
    MnumFromS = MakeEdit(this, this, QRect(116, 44, 60, 21), false);
    MnumFromS->setObjectName(QStringLiteral("MnumFromS"));
    MnumFromS->SetValue(1);
    MakeEditLabel(this, this, 12, 100, MnumFromS, "من S", "From S")->setObjectName("lblFromS");
    MnumToS = MakeEdit(this, this, QRect(256, 44, 60, 21), false);
    MnumToS->setObjectName(QStringLiteral("MnumToS"));
    MnumToS->SetValue(1);
    MakeEditLabel(this, this, 186, 66, MnumToS, "إلى S", "To S")->setObjectName("lblToS");
    chkFixedProgram = MakeCheck(this, this, QRect(12, 78, 120, 20), "برنامج ثابت", "Fixed prog.");
    chkFixedProgram->setObjectName(QStringLiteral("chkFixedProgram"));
    ComboType =
        MakeChoiceList(this, this, QRect(136, 76, 180, 22), StructureNames(true), StructureNames(false));
    ComboType->setObjectName(QStringLiteral("ComboType"));
    ComboType->setCurrentIndex(0);
    numColors = MakeEdit(this, this, QRect(256, 108, 60, 21), false);
    numColors->setObjectName(QStringLiteral("numColors"));
    numColors->SetNumOfDigit(1);
    numColors->SetValue(2);
    MakeEditLabel(this, this, 186, 66, numColors, "اللون", "Color")->setObjectName("MLabel1");
    btnOK = OkButton(QRect(70, 176, 80, 25), [this] { btnOKClick(); });
    btnCancel = CancelButton(QRect(180, 176, 80, 25));
    connect(chkFixedProgram, &QCheckBox::toggled, this, [this] { chkFixedProgramClick(); });
    FinishLayout();
    chkFixedProgramClick();
}

void TFormExport::DOAfterLanguageChange(int aNewLanguage) {
    TPictureDialog::DOAfterLanguageChange(aNewLanguage);
    if (ComboType)
        ShowChoiceLanguage(ComboType, aNewLanguage == 0);
}

void TFormExport::chkFixedProgramClick() {
    const bool fixed = chkFixedProgram->isChecked();
    edtModuleName->setEnabled(!fixed);
    ComboType->setEnabled(fixed);
    numColors->setEnabled(fixed);
}

MExportRequest TFormExport::Request() const {
    MExportRequest r;
    r.Name = edtModuleName->text();
    r.FromS = MnumFromS->Value();
    r.ToS = MnumToS->Value();
    r.Fixed = chkFixedProgram->isChecked();
    r.Structure = ComboType->currentIndex();
    r.Colors = numColors->Value();
    return r;
}

void TFormExport::btnOKClick() {
    const MExportRequest request = Request();
    MProgramLists& lists = FProject.Program();
    try {
        CheckExportRequest(request, lists);
        const QString base = ExportBaseName(request, lists.Machine);
        if (LibraryEntryExists(ExportFolder(request), base)) {
            const int answer = MessageBox ? MessageBox->ShowCodeMessage(exportmsg::Code, exportmsg::Replace,
                                                                        CatalogueArg(base), mbYes | mbNo)
                                          : mbNo;
            if (answer != mbYes)
                return;
        }
        FWritten = ExportLibraryEntry(lists, FProject.Palette(), FProject.Picture(), request, true).Header;
    } catch (const MException& e) {
        ShowRefusal(e);
        return;
    }
    Accept();
}

void RunExportWindow(TPrjContainer& Project) {
    // The rows being edited are stored first: the entry holds what the user sees; a row that cannot
    // be stored keeps the export window from opening.
    if (!Project.ApplyAllEdits())
        return;
    TFormExport form(Project, &Project);
    // Over the middle of the station's frame.
    const QRect frame = Project.window()->frameGeometry();
    form.move(frame.center() - QPoint(form.width() / 2, form.height() / 2));
    form.Execute();
}

void InstallExportWindow() {
    MModuleForm::ExportRunner = [](TPrjContainer& Project) { RunExportWindow(Project); };
}
