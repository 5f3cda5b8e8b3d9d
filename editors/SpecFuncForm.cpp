#include "editors/SpecFuncForm.h"

#include "editors/FormParts.h"
#include "editors/NumEdit_m.h"
#include "model/Ucommon.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/label_m.h"

#include <QTabWidget>

#include <algorithm>
#include <cstdlib>

// ---- The checks.

TSpecFuncCheck CheckSpecialFunc(const TSpecFuncInput& Input, int LargestNumber, int MaxItemNumber) {
    const std::int64_t from = Input.From, to = Input.To, in = Input.In, max = MaxItemNumber;
    if (from == 0)
        return {1031, false};
    if (to == 0)
        return {1032, false};
    switch (Input.Page) {
    case sfCopy:
    case sfMove: {
        if (in == 0)
            return {1033, false};
        if (from > max)
            return {1034, true};
        if (to > max)
            return {1035, true};
        if (in > max)
            return {1036, true};
        // The range put in from In ends at In + span; with Shift, the entries from In on move by the
        // range's length, span + 1.
        const std::int64_t span = std::llabs(to - from);
        if (in + span > max)
            return {1037, true};
        if (Input.Shift && in <= LargestNumber && std::int64_t(LargestNumber) + span + 1 > max)
            return {1038, true};
        return {};
    }
    case sfNewItems:
        if (from > max)
            return {1034, true};
        if (to > max)
            return {1035, true};
        return {};
    default:
        return {};
    }
}

TSpecialFuncParams SpecialFuncRequest(const TSpecFuncInput& Input) {
    TSpecialFuncParams p;
    p.Operation = std::uint8_t(std::clamp(Input.Page, 0, 3));
    p.From = std::min(Input.From, Input.To);
    p.To = std::max(Input.From, Input.To);
    switch (Input.Page) {
    case sfCopy:
    case sfMove:
        p.In = Input.In;
        p.ByY = Input.ByY;
        p.MoveDestination = Input.Shift;
        p.DeleteGaps = Input.DeleteGaps;
        p.Mirror = Input.Mirror;
        break;
    case sfDelete:
        p.ClearItems = Input.ClearOnly;
        break;
    case sfNewItems:
        p.MoveDestination = Input.Shift;
        break;
    default:
        break;
    }
    return p;
}

namespace {

// Shows a check's message; the dialog stays open.
void ShowCheck(const TSpecFuncCheck& Check, int MaxItemNumber) {
    if (MessageBox)
        MessageBox->ShowCodeMessage(11, Check.SubCode,
                                    Check.WithMax ? QString::number(MaxItemNumber) : QString(), mbOK);
}

// An edit shows a value of the request, empty for 0.
void ShowValue(MNumEdit* Edit, int Value) {
    if (Value != 0)
        Edit->SetValue(Value);
    else
        Edit->setText(QString());
}

} // namespace

// ---- The Special Functions dialog.

TSpecialFuncForm::TSpecialFuncForm(QWidget* Parent) : MModalForm(Parent) {
    PrepareForm(*this, 330, 250, QStringLiteral("وظائف خاصة"), QStringLiteral("Special Functions"));
    setObjectName(QStringLiteral("SpecialFuncForm"));

    SpecFuncPage = new QTabWidget(this);
    SpecFuncPage->setObjectName(QStringLiteral("SpecFuncPage"));
    SpecFuncPage->setGeometry(8, 8, 314, 198);
    CopySheet = new QWidget;
    MoveSheet = new QWidget;
    DeleteSheet = new QWidget;
    NewItemsSheet = new QWidget;
    SpecFuncPage->addTab(CopySheet, QString());
    SpecFuncPage->addTab(MoveSheet, QString());
    SpecFuncPage->addTab(DeleteSheet, QString());
    SpecFuncPage->addTab(NewItemsSheet, QString());

    // The tabs take their captions from these labels, which are not shown.
    CopyLbl = MakeLabel(this, this, QRect(0, 0, 60, 16), "نسخ", "Copy");
    MoveLbl = MakeLabel(this, this, QRect(0, 0, 60, 16), "نقل", "Move");
    DeleteLbl = MakeLabel(this, this, QRect(0, 0, 60, 16), "حذف", "Delete");
    NewItemsLbl = MakeLabel(this, this, QRect(0, 0, 60, 16), "عناصر جديدة", "New items");
    for (MLabel* l : {CopyLbl, MoveLbl, DeleteLbl, NewItemsLbl})
        l->hide();

    // From and To on every page; Put in, the pattern line and the three options on copy and move.
    auto range = [this](QWidget* Page, MNumEdit*& From, MNumEdit*& To) {
        From = MakeEdit(this, Page, QRect(70, 13, 60, 21), false);
        MakeEditLabel(this, Page, 12, 54, From, "من", "From");
        To = MakeEdit(this, Page, QRect(190, 13, 60, 21), false);
        MakeEditLabel(this, Page, 150, 36, To, "إلى", "To");
    };
    auto copyMove = [this, range](QWidget* Page, MNumEdit*& From, MNumEdit*& To, MNumEdit*& In,
                                  MNumEdit*& ByY, MLabel*& YLbl, MCheckBox*& Insert, MCheckBox*& Gaps,
                                  MCheckBox*& Inverted) {
        range(Page, From, To);
        In = MakeEdit(this, Page, QRect(70, 43, 60, 21), false);
        MakeEditLabel(this, Page, 12, 54, In, "ضع في", "Put in");
        ByY = MakeEdit(this, Page, QRect(190, 73, 60, 21), true);
        YLbl = MakeEditLabel(this, Page, 12, 150, ByY, "تغيير سطر النقشة بمقدار ", "Change Pattern line by ");
        Insert = MakeCheck(this, Page, QRect(12, 102, 286, 18), "مع إزاحة العناصر في الهدف",
                           "With moving destenation items");
        Gaps = MakeCheck(this, Page, QRect(12, 124, 286, 18), "حذف الفجوات", "Delete Gaps");
        Inverted = MakeCheck(this, Page, QRect(12, 146, 286, 18), "مع العكس", "With mirror");
    };
    copyMove(CopySheet, CopyFrom, CopyTo, CopyIN, CopyByY, CopyYLbl, CopyInsertChk, CopyDeleteGapChk,
             CopyInvertedChk);
    copyMove(MoveSheet, MoveFrom, MoveTo, MoveIn, MoveByY, MoveYLbl, MoveInsertChk, MoveDeleteGapChk,
             MoveInvertedChk);
    range(DeleteSheet, DeleteFrom, DeleteTo);
    DeleteClearChk = MakeCheck(this, DeleteSheet, QRect(12, 50, 286, 18), "مسح العناصر دون إزالتها",
                               "Clear items without removing");
    range(NewItemsSheet, NewFrom, NewTo);
    NewInsertChk = MakeCheck(this, NewItemsSheet, QRect(12, 50, 286, 18), "مع إزاحة العناصر في الهدف",
                             "With moving destenation items");

    OkBtn = MakeButton(this, QRect(166, 216, 75, 25), "موافق", "OK");
    CancelBtn = MakeButton(this, QRect(247, 216, 75, 25), "إلغاء", "Cancel");
    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    SetDefaultButton(OkBtn);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });

    SetLineOptions(false);
    FinishLoading();
    OnAfterLanguageChange = [this](MForm*, int) { TakeTabCaptions(); };
    TakeTabCaptions();
}

TSpecialFuncForm::~TSpecialFuncForm() = default;

void TSpecialFuncForm::SetLineOptions(bool Show) {
    FLineOptions = Show;
    for (QWidget* w : std::initializer_list<QWidget*>{CopyYLbl, CopyByY, CopyInvertedChk, MoveYLbl, MoveByY,
                                                      MoveInvertedChk})
        w->setVisible(Show);
}

void TSpecialFuncForm::TakeTabCaptions() {
    const MLabel* labels[] = {CopyLbl, MoveLbl, DeleteLbl, NewItemsLbl};
    for (int i = 0; i < 4; ++i)
        SpecFuncPage->setTabText(i, labels[i]->Caption());
}

void TSpecialFuncForm::FormShow() {
    TakeTabCaptions();
    for (MNumEdit* e : {CopyFrom, CopyTo, CopyIN, CopyByY, MoveFrom, MoveTo, MoveIn, MoveByY, DeleteFrom,
                        DeleteTo, NewFrom, NewTo})
        e->setText(QString());
    const int page = std::clamp(int(FParams.Operation), 0, 3);
    SpecFuncPage->setCurrentIndex(page);
    switch (page) {
    case sfCopy:
    case sfMove: {
        const bool copy = page == sfCopy;
        ShowValue(copy ? CopyFrom : MoveFrom, FParams.From);
        ShowValue(copy ? CopyTo : MoveTo, FParams.To);
        ShowValue(copy ? CopyIN : MoveIn, FParams.In);
        ShowValue(copy ? CopyByY : MoveByY, FParams.ByY);
        (copy ? CopyInsertChk : MoveInsertChk)->setChecked(FParams.MoveDestination);
        (copy ? CopyDeleteGapChk : MoveDeleteGapChk)->setChecked(FParams.DeleteGaps);
        (copy ? CopyInvertedChk : MoveInvertedChk)->setChecked(FParams.Mirror);
        break;
    }
    case sfDelete:
        ShowValue(DeleteFrom, FParams.From);
        ShowValue(DeleteTo, FParams.To);
        DeleteClearChk->setChecked(FParams.ClearItems);
        break;
    default:
        ShowValue(NewFrom, FParams.From);
        ShowValue(NewTo, FParams.To);
        NewInsertChk->setChecked(FParams.MoveDestination);
        break;
    }
}

TSpecFuncInput TSpecialFuncForm::Input() const {
    TSpecFuncInput in;
    in.Page = SpecFuncPage->currentIndex();
    switch (in.Page) {
    case sfCopy:
    case sfMove: {
        const bool copy = in.Page == sfCopy;
        in.From = (copy ? CopyFrom : MoveFrom)->Value();
        in.To = (copy ? CopyTo : MoveTo)->Value();
        in.In = (copy ? CopyIN : MoveIn)->Value();
        in.ByY = (copy ? CopyByY : MoveByY)->Value();
        in.Shift = (copy ? CopyInsertChk : MoveInsertChk)->isChecked();
        in.DeleteGaps = (copy ? CopyDeleteGapChk : MoveDeleteGapChk)->isChecked();
        in.Mirror = (copy ? CopyInvertedChk : MoveInvertedChk)->isChecked();
        break;
    }
    case sfDelete:
        in.From = DeleteFrom->Value();
        in.To = DeleteTo->Value();
        in.ClearOnly = DeleteClearChk->isChecked();
        break;
    default:
        in.From = NewFrom->Value();
        in.To = NewTo->Value();
        in.Shift = NewInsertChk->isChecked();
        break;
    }
    return in;
}

void TSpecialFuncForm::OkBtnClick() {
    const TSpecFuncInput in = Input();
    const TSpecFuncCheck check = CheckSpecialFunc(in, LargestNumber, MaxItemNumber);
    if (check.SubCode != 0) {
        ShowCheck(check, MaxItemNumber);
        return;
    }
    TSpecialFuncParams request = SpecialFuncRequest(in);
    // Without line options the pattern line and the mirror keep what was stored.
    if (!FLineOptions && (in.Page == sfCopy || in.Page == sfMove)) {
        request.ByY = FParams.ByY;
        request.Mirror = FParams.Mirror;
    }
    FParams = request;
    SetModalResult(mrOk);
}

void TSpecialFuncForm::showEvent(QShowEvent* Event) {
    MModalForm::showEvent(Event);
    FormShow();
}

// ---- The Go-to dialog.

TGoToForm::TGoToForm(QWidget* Parent) : MModalForm(Parent) {
    PrepareForm(*this, 200, 92, QStringLiteral("انتقال إلى"), QStringLiteral("Go to"));
    setObjectName(QStringLiteral("GoToForm"));
    IDEdit = MakeEdit(this, this, QRect(90, 15, 98, 21), false);
    MLabel1 = MakeEditLabel(this, this, 12, 70, IDEdit, "رقم العنصر", "Item ID");
    IDEdit->SetFocusColor(0xF0C8F0);
    MButton2 = MakeButton(this, QRect(28, 54, 75, 25), "موافق", "Ok");
    MButton1 = MakeButton(this, QRect(113, 54, 75, 25), "إلغاء", "Cancel");
    connect(MButton2, &QPushButton::clicked, this, [this] { MButton2Click(); });
    connect(MButton1, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    SetDefaultButton(MButton2);
    FinishLoading();
}

TGoToForm::~TGoToForm() = default;

void TGoToForm::FormShow() {
    IDEdit->setText(QString());
    IDEdit->setFocus(Qt::OtherFocusReason);
}

void TGoToForm::MButton2Click() {
    if (IDEdit->text().trimmed().isEmpty()) {
        if (MessageBox)
            MessageBox->ShowCodeMessage(11, 1042, QString(), mbOK);
        return;
    }
    ItemNumber = IDEdit->Value();
    SetModalResult(mrOk);
}

void TGoToForm::showEvent(QShowEvent* Event) {
    MModalForm::showEvent(Event);
    FormShow();
}
