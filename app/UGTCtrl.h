#pragma once
// The graphic test's control panel: a small stay-on-top tool window at the right of its window with
// the buttons that step the simulation, the three drawing options, the two yarn-carrier rails with a
// label per carrier that moves along them, and the carriage with the settings of the present Z row
// per system. It keeps the test's 21 colours in the colour cache file and lets the designer change
// them through the carrier-colour dialog.

#include "app/UGtestDraw.h"
#include "ui/Adapter.h"

#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <vector>

class MButton;
class MImage;
class MLabel;
class MNumEdit;
class MScrollBitBtn;
class MYcData;
class TFormYCcolors;
class TGTWindow;

class TFormGTControl : public MForm {
    Q_OBJECT
public:
    explicit TFormGTControl(TGTWindow& Window);
    ~TFormGTControl() override;

    static constexpr int FormWidth = 253;
    static constexpr int FormHeight = 425;
    static constexpr int LabelWidth = 21;
    static constexpr int LabelHeight = 10;

    MButton* BtnYCcolors = nullptr;
    MButton* BtnNextSystem = nullptr;
    MButton* BtnNextZ = nullptr;
    MScrollBitBtn* scbtnStitchStyle = nullptr;
    MScrollBitBtn* scbtnGTstyle = nullptr;
    MScrollBitBtn* scbtnRenderSide = nullptr;
    MImage* ImgRails = nullptr;
    MImage* imgCarriage = nullptr;
    MImage* imgRArrow = nullptr;
    MImage* imgLArrow = nullptr;
    MLabel *lblS = nullptr, *lblMainRack = nullptr, *lblBackFS = nullptr, *lblZ = nullptr,
           *lblTransRack = nullptr, *lblFrontFS = nullptr;
    // [rail - 1][carrier - 1]
    std::array<std::array<MLabel*, 8>, 2> CarrierLabels{};
    // The carriage's columns 1..4 (left 197, 137, 78, 18): carriers, rear line, rear cam, front cam,
    // front line.
    std::array<MLabel*, 4> lblYCsSys{}, lblLineH{}, lblCamH{}, lblCamV{}, lblLineV{};
    MNumEdit *edtYcontinue = nullptr, *edtZcontinue = nullptr, *edtScontinue = nullptr;
    MButton* btnContinueTo = nullptr;
    MButton* BtnStop = nullptr;
    MButton* BtnNew = nullptr;
    MButton* BtnContinue = nullptr;
    QTimer Timer1;

    TFormYCcolors& ColorDialog() const { return *FColorDialog; }
    QString CacheFileName() const { return FCacheFile; }
    void SetCacheFileName(const QString& Name) { FCacheFile = Name; }
    bool Attached() const { return FAttached; }
    int Mode() const { return FMode; }
    bool LabelsPlaced() const { return FLabelsPlaced; }
    bool Closing = false;

    // The slots the carriage fills: cam and line slot 2(s - 1) front and 2(s - 1) + 1 rear of
    // system s, system slot s - 1.
    std::array<MLabel*, 8> CamSlots{}, LineSlots{};
    std::array<MLabel*, 4> SystemSlots{};

    // ---- The operations.
    void AttachProject();
    void SetStyleCaptions();
    void SetStopMode(int Mode);
    int TargetS() { return Target(edtScontinue); }
    int TargetZ() { return Target(edtZcontinue); }
    int TargetY() { return Target(edtYcontinue); }
    // The colours between the dialog and the window; the file.
    void ColorsFromDialog();
    void ColorsToDialog();
    void SaveYcColors();
    // False when the file is missing, unreadable or not 84 bytes (the dialog keeps its colours).
    bool LoadYcColors();
    void BindCarriageLabels();
    // The zone (0 right of the bed, 1 right half, 2 left half, 3 left of it; -1 not in use) and the
    // label's left edge.
    int CarrierZone(int Rail, int Carrier, int& X) const;
    void PlaceCarrierLabels(int Carrier);
    void ShowCarrierLabels();
    void ShowCarriage();
    void ClearCarriage();
    // Moves a label along its rail: in four steps 50 ms apart, then to X; a hidden one at once.
    void MoveLabel(MLabel* Label, int X);
    // Ends every move under way at its place.
    void FinishMoves();
    // One blink of the 350 ms timer.
    void Timer1Timer();

    // ---- The buttons.
    void btnContinueToClick();
    void BtnContinueClick();
    void BtnNextSystemClick();
    void BtnNextZClick();
    void BtnStopClick();
    void BtnNewClick();
    void BtnYCcolorsClick();
    void scbtnRenderSideIndexChange();
    void scbtnGTstyleIndexChange();
    void scbtnStitchStyleIndexChange();

protected:
    void DOAfterLanguageChange(int aNewLanguage) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    int Target(MNumEdit* Edit);
    void AfterStep();
    // A run of many steps (Continue, Continue to): the Stop mode while it lasts, the carriage after
    // it, nothing touched when the panel was freed meanwhile.
    void RunLong(const std::function<void()>& Run);
    // Next System or Next (Z): one step, also while a run lets the events through.
    void StepOnce(void (TGTWindow::*Step)());
    const MYcData* Carrier(int Rail, int Carrier) const;
    void MoveTick();

    TGTWindow& FWindow;
    std::unique_ptr<TFormYCcolors> FColorDialog;
    QString FCacheFile;
    bool FAttached = false;
    bool FLabelsPlaced = false;
    int FMode = 2;
    // Counts the New clicks: a run that sees it change was ended by New.
    int FNewTests = 0;
    struct MMove {
        QPointer<MLabel> Label;
        int Step = 0;
        int StepsLeft = 0;
        int X = 0;
    };
    std::vector<MMove> FMoves;
    QTimer FMoveTimer;
};
