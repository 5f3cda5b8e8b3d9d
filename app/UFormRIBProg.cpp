#include "app/UFormRIBProg.h"

#include "app/UExportEntry.h"
#include "app/ULibFiles.h"
#include "app/UPrjContainer.h"
#include "editors/FormParts.h"
#include "ui/RadioButton_m.h"
#include "ui/groupbox_m.h"

TFormRIBProg::TFormRIBProg(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 250, 200, QStringLiteral("بيانات الوحدة"), QStringLiteral("Module Data"));
    setObjectName(QStringLiteral("FormRIBProg"));
    MGroupBox1 = new MGroupBox(this, this);
    MGroupBox1->setObjectName(QStringLiteral("MGroupBox1"));
    MGroupBox1->SetBounds(12, 8, 226, 100);
    MGroupBox1->M_Caption()->SetCaptions({QStringLiteral("نوع الحافة"), QStringLiteral("Rib Type")});
    MGroupBox1->SetCaption(QStringLiteral("Rib Type"));
    RdoRip11 = MakeRadio(this, MGroupBox1, QRect(12, 22, 200, 20), "حافة 1:1", "Waist 1:1");
    RdoRip21 = MakeRadio(this, MGroupBox1, QRect(12, 46, 200, 20), "حافة 2:1", "Waist 2:1");
    RdoRipTubular = MakeRadio(this, MGroupBox1, QRect(12, 70, 200, 20), "أنبوبي", "Tubular");
    RdoRip11->setObjectName(QStringLiteral("RdoRip11"));
    RdoRip21->setObjectName(QStringLiteral("RdoRip21"));
    RdoRipTubular->setObjectName(QStringLiteral("RdoRipTubular"));
    RdoRip11->setChecked(true);
    Offset = MakeOffsetRow(this, this, QPoint(12, 120));
    btnOK = OkButton(QRect(40, 160, 80, 25));
    btnCancel = CancelButton(QRect(130, 160, 80, 25));
    FinishLayout();
}

void TFormRIBProg::SetProject(TPrjContainer* Project) {
    if (Project)
        FProject = Project;
}

bool TFormRIBProg::Execute() {
    TPictureDialog::Execute();
    return Accepted && !RibProgramFileName().isEmpty();
}

QString TFormRIBProg::RibProgramName() const {
    if (!FProject)
        return QString();
    const int kind = RdoRip21->isChecked() ? RibWaist2 : RdoRipTubular->isChecked() ? RibTubular : RibWaist1;
    const MMachineInfo& machine = FProject->Program().Machine;
    return ::RibProgramName(machine.Model, machine.Category, kind);
}

QString TFormRIBProg::RibProgramFileName() const {
    const QString name = RibProgramName();
    return name.isEmpty() ? QString() : FixedFolder() + name;
}
