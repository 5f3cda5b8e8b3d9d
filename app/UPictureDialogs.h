#pragma once
// The six small dialogs of the picture operations: New Image, the colour count (also the black and
// white method), the image type of a BMP file, Repeat Paste, the free rotation and the resize of the
// picture or of the selection. Each is a bilingual tool window over a background picture, shown
// modally: Execute clears the accepted flag, shows the dialog and gives the flag back. A number
// edit whose new text is not a whole number in its range gets its last valid text back.
//
// The rotation and the selection resize preview their result live in the current drawing through
// the main window's command bus, reached through MPictureDialogHost.

#include "app/LBoardSh.h"
#include "ui/ModalForm.h"

#include <QRect>

#include <functional>
#include <utility>
#include <vector>

class MButton;
class MCheckBox;
class MGroupBox;
class MImage;
class MLabel;
class MNumEdit;
class MRadioButton;
class QSlider;

// What the rotation and selection-resize dialogs need of the main window: its command bus and the
// rectangle it stores for the stretch operations (cells, corners inclusive).
class MPictureDialogHost {
public:
    virtual ~MPictureDialogHost() = default;
    virtual int SendBusMessage(int Group, int Command, int Param = 0, int Param2 = 0) = 0;
    virtual QRect StoredRect() const = 0;
    virtual void SetStoredRect(const QRect& Rect) = 0;
};

// The base of the six: the background picture, the accepted flag and the edits' last valid texts.
class TPictureDialog : public MModalForm {
    Q_OBJECT
public:
    explicit TPictureDialog(QWidget* Parent = nullptr);

    MImage* MImage1;
    bool Accepted = false;
    // Shows the dialog modally; true when it was accepted.
    bool Execute();

protected:
    // A number edit of Digits digits whose text must stay a whole number from Low to High: any other
    // new text puts back the last valid one. Changed runs with each valid new text.
    MNumEdit* NumberEdit(QRect Bounds, int Digits, int Low, int High, const QString& Initial,
                         std::function<void(int)> Changed = {});
    // The OK and Cancel buttons: a click runs the given action, by default Accept or Cancel. OK is
    // the default button.
    MButton* OkButton(QRect Bounds, std::function<void()> Ok = {});
    MButton* CancelButton(QRect Bounds, std::function<void()> Cancel = {});
    // Closes the dialog accepted, or not.
    void Accept();
    void Cancel();
    // Takes every number edit's text as its last valid text.
    void TakeValidTexts();
    // Draws the background picture over the whole form.
    void FinishLayout();
    // A track bar placed as in English; mirrored with the form in Arabic.
    QSlider* TrackBar(const char* Name, QRect Bounds, int Low, int High);
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    std::vector<std::pair<QSlider*, QRect>> FTrackBars;
};

class TOFormNew : public TPictureDialog {
    Q_OBJECT
public:
    explicit TOFormNew(QWidget* Parent = nullptr);
    MNumEdit* MEditWidth;
    MNumEdit* MEditLength;
    MButton* MBtnOK;
    MButton* MBtnCancel;
    // The edits as numbers; below 1 the silent abort.
    int GetWidth() const;
    int GetLength() const;

protected:
    void showEvent(QShowEvent* Event) override;
};

class TFormColorNos : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormColorNos(QWidget* Parent = nullptr);
    MNumEdit* MEditColors;
    MLabel* MLabelColors;
    MRadioButton* MRadioBtnOrdered;
    MRadioButton* MRadioBtnThreShold;
    MButton* MBtnOK;
    MButton* MBtnCancel;
    // Set before Execute: the black-and-white method is asked instead of the count.
    bool BlackWhiteMode = false;
    // N below 2 becomes 2.
    void SetColors(int N);
    // At least 2; -1 when the text is not a number.
    int GetColors() const;
    // 508 ordered, 507 threshold, -1 neither.
    int GetBWMethod() const;

protected:
    void showEvent(QShowEvent* Event) override;
};

class TFormFileType : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormFileType(QWidget* Parent = nullptr);
    MGroupBox* MGroupBox1;
    MRadioButton* MRadioButtonTrueColor;
    MRadioButton* MRadioButton16clr;
    MButton* MBtnOK;
    // 20 with "16 colors" checked, else 1.
    int GetImageType() const;
};

// The image-type question: the dialog made for one use; the checked type whatever closed it.
int AskImageType(QWidget* Parent = nullptr);

class TOFormPastRepeat : public TPictureDialog {
    Q_OBJECT
public:
    explicit TOFormPastRepeat(QWidget* Parent = nullptr);
    MNumEdit* MEditH;
    MNumEdit* MEditV;
    MCheckBox* MCheckBoxDiagonal;
    MRadioButton* MRadioButtonUp;
    MRadioButton* MRadioButtonDown;
    MButton* MBtnOK;
    MButton* MBtnCancel;
    // X negative upwards; Y -1 for the diagonal repeat.
    void GetRepeat(int& X, int& Y) const;
};

class TFormRotFree : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormRotFree(MPictureDialogHost* Host, QWidget* Parent = nullptr);
    MNumEdit* MEditAngle;
    QSlider* TrackBarAngle;
    MButton* MBtnOK;
    MButton* MBtnCancel;
    MPictureDialogHost* MainLink;
    int Angle() const { return FAngle; }
    // Starts the free rotation of the current drawing's selection; false without the main window.
    bool BeginRotation();
    // Previews the angle when it lies within -359 .. 359.
    void SetAngle(int A);

private:
    int FAngle = 0;
    bool FUpdating = false;
};

class TFormImageResize : public TPictureDialog {
    Q_OBJECT
public:
    // Picture mode without a host (the caller reads the size after OK); selection mode with one.
    TFormImageResize(bool ImageMode, MPictureDialogHost* Host, QWidget* Parent = nullptr);
    MNumEdit* MEditWidth;
    MNumEdit* MEditLength;
    QSlider* TrackBarWidth;
    QSlider* TrackBarLength;
    MCheckBox* MCheckBoxAspect;
    MCheckBox* MCheckBoxStretch;
    MLabel* MLabelStretch;
    MButton* MBtnOK;
    MButton* MBtnCancel;
    const bool ImageMode;
    MPictureDialogHost* MainLink;

    void SetWidth(int W);
    void SetLength(int L);
    int GetWidth() const;
    int GetLength() const;
    bool GetStretch() const;
    // Applies a size (with the aspect ratio when kept) and previews it.
    void SetSize(std::int64_t W, std::int64_t L);
    const TBoardRect& WorkRect() const { return FWork; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void Preview();
    void EditChanged(int Dimension, int Value);
    void OkClick();
    void CancelClick();

    TBoardRect FStart, FWork;
    int FWidth = 1, FLength = 1;
    std::int64_t FBaseWidth = 100, FBaseLength = 100;
    bool FUpdating = false;
    int FLastEdited = 1;
};
