#include "app/UNewProj.h"

#include "app/LBoardFr.h"
#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "imaging/ImageLimits.h"
#include "model/Ucommon.h"
#include "model/UprojInfo.h"
#include "ui/button_m.h"
#include "ui/combobox_m.h"

namespace {

constexpr int SizeDigits = 6;
constexpr int SizeMax = 999999;
// What an unreadable picture size gives.
constexpr int FallbackSize = 100;

MComboBox* MakeList(QObject* Owner, QWidget* Parent, QRect Bounds, const QStringList& Items) {
    auto* c = new MComboBox(Owner, Parent);
    c->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    c->setEditable(false);
    c->addItems(Items);
    c->SetArabic(false);
    return c;
}

void SelectOr(MComboBox* List, int Position, int Default) {
    List->setCurrentIndex(Position >= 0 && Position < List->count() ? Position : Default);
}

int SizeOf(const MNumEdit* Edit) {
    bool ok = false;
    const int v = Edit->text().toInt(&ok);
    return ok && v >= 1 ? v : FallbackSize;
}

} // namespace

void AppendMachineAndGaugeNumbers(QStringList& Machines, QStringList& Gauges) {
    for (const MModelInfo& m : KnownModels())
        Machines << QString::number(m.Model);
    for (int g = FirstGauge; g <= LastGauge; ++g)
        Gauges << QString::number(g);
}

TOFormNewProj::TOFormNewProj(QWidget* Parent) : TPictureDialog(Parent) {
    PrepareForm(*this, 260, 190, QStringLiteral("مشروع جديد"), QStringLiteral("New Project"));
    setObjectName(QStringLiteral("OFormNewProj"));
    QStringList machines, gauges;
    AppendMachineAndGaugeNumbers(machines, gauges);
    cmpMachineNr = MakeList(this, this, QRect(130, 14, 110, 22), machines);
    cmpMachineNr->setObjectName(QStringLiteral("cmpMachineNr"));
    MakeLabel(this, this, QRect(14, 17, 110, 16), "رقم الماكينة", "Machine Nr");
    cmpGaugeNr = MakeList(this, this, QRect(130, 44, 110, 22), gauges);
    cmpGaugeNr->setObjectName(QStringLiteral("cmpGaugeNr"));
    MakeLabel(this, this, QRect(14, 47, 110, 16), "رقم الدقة", "Gauge Nr");
    MEditWidth = NumberEdit(QRect(130, 74, 110, 21), SizeDigits, 1, SizeMax, QStringLiteral("250"));
    MEditWidth->setObjectName(QStringLiteral("MEditWidth"));
    MakeEditLabel(this, this, 14, 110, MEditWidth, "عرض الصورة", "Image Width");
    MEditLength = NumberEdit(QRect(130, 104, 110, 21), SizeDigits, 1, SizeMax, QStringLiteral("250"));
    MEditLength->setObjectName(QStringLiteral("MEditLength"));
    MakeEditLabel(this, this, 14, 110, MEditLength, "طول الصورة", "Image Length");
    MBtnOK = OkButton(QRect(45, 148, 75, 25), [this] {
        // A picture the drawing could not hold is refused here, before anything is made.
        const std::int64_t w = GetWidth(), l = GetLength();
        if (!ImageLimits::PixelsWithinLimit(w, l)) {
            if (MessageBox)
                MessageBox->ShowCodeMessage(boardmsg::Code, boardmsg::SizeRefused, boardmsg::SizeArg(w, l),
                                            mbOK);
            return;
        }
        Accept();
    });
    MBtnCancel = CancelButton(QRect(140, 148, 75, 25));
    SetMachineIndex(DefaultMachineIndex);
    SetGaugeIndex(DefaultGaugeIndex);
    FinishLayout();
}

void TOFormNewProj::showEvent(QShowEvent* Event) {
    TPictureDialog::showEvent(Event);
    if (cmpMachineNr->currentIndex() < 0)
        SetMachineIndex(DefaultMachineIndex);
    if (cmpGaugeNr->currentIndex() < 0)
        SetGaugeIndex(DefaultGaugeIndex);
    TakeValidTexts();
    Accepted = false;
}

int TOFormNewProj::GetMachine() const {
    return cmpMachineNr->currentText().toInt();
}

int TOFormNewProj::GetGauge() const {
    return cmpGaugeNr->currentText().toInt();
}

int TOFormNewProj::GetMachineIndex() const {
    return cmpMachineNr->currentIndex();
}

int TOFormNewProj::GetGaugeIndex() const {
    return cmpGaugeNr->currentIndex();
}

void TOFormNewProj::SetMachineIndex(int Position) {
    SelectOr(cmpMachineNr, Position, DefaultMachineIndex);
}

void TOFormNewProj::SetGaugeIndex(int Position) {
    SelectOr(cmpGaugeNr, Position, DefaultGaugeIndex);
}

int TOFormNewProj::GetWidth() const {
    return SizeOf(MEditWidth);
}

int TOFormNewProj::GetLength() const {
    return SizeOf(MEditLength);
}
