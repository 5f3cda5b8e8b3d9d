#pragma once
// The colour dialog of the graphic test: the colours in which the stitch simulation draws the yarn
// carriers of both rails and the five special stitches, each a round colour button whose face is the
// colour. A click on a button opens the colour dialog for it. The caller sets and reads the face
// colours itself; Execute says whether it should take them.

#include "platform/Color.h"
#include "ui/ModalForm.h"

#include <array>
#include <functional>

class MButton;
class MScrollHemiSphereBtn;

class TFormYCcolors : public MModalForm {
    Q_OBJECT
public:
    explicit TFormYCcolors(QWidget* Parent = nullptr);

    // The sixteen carrier buttons, rail-major: index (rail - 1) x 8 + carrier - 1 for rails 1 and 2
    // (btnYC01 .. btnYC08, then btnYC11 .. btnYC18).
    std::array<MScrollHemiSphereBtn*, 16> CarrierButtons{};
    MScrollHemiSphereBtn* btnTransferedStitch;
    MScrollHemiSphereBtn* btnRightTransfered;
    MScrollHemiSphereBtn* btnLeftTransfered;
    MScrollHemiSphereBtn* btnOppositeStitch;
    MScrollHemiSphereBtn* btnFallStitch;
    MButton* btnOK;
    MButton* btnCancel;

    // The colour dialog a button click opens: true with the chosen colour. The station's own
    // (ExecuteOColorDialog) unless replaced.
    std::function<bool(TColor& Color)> OColorDialog;

    // Shows the dialog modally; true exactly when it was closed with OK after any button was ever
    // clicked (the changed mark is kept from one showing to the next).
    bool Execute();
    bool Changed() const { return FChanged; }
    bool Accepted() const { return FAccepted; }

    // The button's size and look.
    static constexpr int ButtonSize = 25;

private:
    MScrollHemiSphereBtn* ColorButton(const char* Name, int Left, int Top);
    void ButtonClick(MScrollHemiSphereBtn* Button);

    bool FChanged = false;
    bool FAccepted = false;
};
