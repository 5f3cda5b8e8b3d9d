#pragma once
// The two dialogs of the module windows. The Special Functions dialog asks for a block operation on
// a range of entry numbers (copy, move, delete or create entries, with options) on four pages,
// checks the numbers against the list's largest number and the kind's largest allowed number and
// hands back the request record the list carries out. The Go-to dialog asks for one entry number.
// Both are bilingual forms built in English and mirrored in Arabic, created for one use and shown
// modally.

#include "model/UunvList.h"
#include "ui/ModalForm.h"

class MButton;
class MCheckBox;
class MLabel;
class MNumEdit;
class QTabWidget;
class QWidget;

// ---- The checks of the Special Functions dialog, free of widgets.
struct TSpecFuncInput {
    int Page = sfCopy; // the active page: copy, move, delete, new items
    int From = 0;
    int To = 0;
    int In = 0;
    int ByY = 0;
    bool Shift = false;
    bool DeleteGaps = false;
    bool Mirror = false;
    bool ClearOnly = false;
};
// The first failing check: the subcode of its message (code 11) and whether the kind's largest number
// is its argument; SubCode 0 when the input is accepted.
struct TSpecFuncCheck {
    int SubCode = 0;
    bool WithMax = false;
    friend bool operator==(const TSpecFuncCheck&, const TSpecFuncCheck&) = default;
};
// Copy and move: From, To and In must be given and within MaxItemNumber; the range put in from In,
// and, with Shift and In at or below LargestNumber, the shifted entries (moved by the span + 1),
// must stay within MaxItemNumber. Delete needs From and To; new items From and To within
// MaxItemNumber.
TSpecFuncCheck CheckSpecialFunc(const TSpecFuncInput& Input, int LargestNumber, int MaxItemNumber);
// The request an accepted input gives (From and To in ascending order).
TSpecialFuncParams SpecialFuncRequest(const TSpecFuncInput& Input);

class TSpecialFuncForm : public MModalForm {
    Q_OBJECT
public:
    explicit TSpecialFuncForm(QWidget* Parent = nullptr);
    ~TSpecialFuncForm() override;

    QTabWidget* SpecFuncPage;
    QWidget* CopySheet;
    QWidget* MoveSheet;
    QWidget* DeleteSheet;
    QWidget* NewItemsSheet;
    MLabel* CopyLbl;
    MLabel* MoveLbl;
    MLabel* DeleteLbl;
    MLabel* NewItemsLbl;
    MNumEdit* CopyFrom;
    MNumEdit* CopyTo;
    MNumEdit* CopyIN;
    MNumEdit* CopyByY;
    MLabel* CopyYLbl;
    MCheckBox* CopyInsertChk;
    MCheckBox* CopyDeleteGapChk;
    MCheckBox* CopyInvertedChk;
    MNumEdit* MoveFrom;
    MNumEdit* MoveTo;
    MNumEdit* MoveIn;
    MNumEdit* MoveByY;
    MLabel* MoveYLbl;
    MCheckBox* MoveInsertChk;
    MCheckBox* MoveDeleteGapChk;
    MCheckBox* MoveInvertedChk;
    MNumEdit* DeleteFrom;
    MNumEdit* DeleteTo;
    MCheckBox* DeleteClearChk;
    MNumEdit* NewFrom;
    MNumEdit* NewTo;
    MCheckBox* NewInsertChk;
    MButton* OkBtn;
    MButton* CancelBtn;

    // The largest number in the list and the largest the kind allows (set before showing).
    int LargestNumber = 0;
    int MaxItemNumber = 0;

    void SetParams(const TSpecialFuncParams& Params) { FParams = Params; }
    void GetParams(TSpecialFuncParams& Params) const { Params = FParams; }
    bool LineOptions() const { return FLineOptions; }
    // Shows or hides the pattern-line edits and the mirror boxes (the knitting-scheme window).
    void SetLineOptions(bool Show);
    // What the active page holds.
    TSpecFuncInput Input() const;

    // The tab captions from the labels, every edit emptied, the stored request's page filled.
    void FormShow();
    // Checks the active page: the first failing check shows its message and the dialog stays; an
    // accepted page becomes the request and the dialog closes with OK.
    void OkBtnClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void TakeTabCaptions();
    TSpecialFuncParams FParams;
    bool FLineOptions = false;
};

class TGoToForm : public MModalForm {
    Q_OBJECT
public:
    explicit TGoToForm(QWidget* Parent = nullptr);
    ~TGoToForm() override;

    MLabel* MLabel1;
    MNumEdit* IDEdit;
    MButton* MButton2; // Ok
    MButton* MButton1; // Cancel
    // The number typed, after OK.
    int ItemNumber = 0;

    // Empties the edit and puts the focus in it.
    void FormShow();
    // An empty edit shows 1042 and the dialog stays; otherwise the number is taken and the dialog
    // closes with OK.
    void MButton2Click();

protected:
    void showEvent(QShowEvent* Event) override;
};
