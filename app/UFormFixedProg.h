#pragma once
// The fixed-program picker: one of six jacquard structures knitted over the rectangle the user
// selected in the project's drawing, with up to six of the selection's colours, and the name of
// its library entry in Export/Fixed/. Also the pieces the import pickers and the export window
// share: the offset row behind "Use Offset" and a choice list whose items follow the language.

#include "app/UPictureDialogs.h"

#include <QStringList>

#include <array>
#include <vector>

class MCheckBox;
class MColorBox;
class MComboBox;
class MGroupBox;
class MPanel;
class MPopupPalette;
class TBoardFormats;
class TPrjContainer;

// "Use Offset" with its offset row (default 8): the row is enabled only while the box is checked,
// and a value below 1 becomes 1, above 8 becomes 8.
struct MOffsetRow {
    MCheckBox* Check = nullptr;
    MNumEdit* Row = nullptr;
    // The row when checked and within 1..8, else 0 (no offset row).
    int Offset() const;
};
MOffsetRow MakeOffsetRow(QObject* Owner, QWidget* Parent, QPoint At);

// A choice list whose items are given in both languages; ShowLanguage refills it keeping the choice.
MComboBox* MakeChoiceList(QObject* Owner, QWidget* Parent, QRect Bounds, const QStringList& Arabic,
                          const QStringList& English);
void ShowChoiceLanguage(MComboBox* List, bool Arabic);

// The six structures in both languages (index fsStriped .. fsLinks).
const QStringList& StructureNames(bool Arabic);

class TFormFixedProg : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormFixedProg(QWidget* Parent = nullptr);
    ~TFormFixedProg() override;

    static constexpr int MaxColors = 6;

    MComboBox* ComboType = nullptr;
    MPanel* pnlImage;
    MImage* imgModule;
    MNumEdit* MnumX1;
    MNumEdit* MnumX2;
    MNumEdit* MnumY1;
    MNumEdit* MnumY2;
    MOffsetRow Offset;
    MGroupBox* MGroupBox1;
    std::array<MColorBox*, MaxColors> BxColor{};
    MNumEdit* MNumColorsNo;
    MButton* btnOK;
    MButton* btnCancel;
    MPopupPalette* PopupPalette() const { return FPopup; }

    // The palette indexes found in the selection, in the order found (-1 none).
    std::array<int, MaxColors> ColorsFound{};

    // The drawing whose selection is read when the dialog is shown; the project's when null.
    TBoardFormats* Drawing = nullptr;

    // Only a project container is kept: its palette goes to the popup and the colour boxes.
    void SetProject(TPrjContainer* Project);
    TPrjContainer* Project() const { return FProject; }
    // True when OK closed the dialog and a structure is chosen.
    bool Execute();

    // Reads the selection of a drawing: its corners (X from column + 1, Y as pattern lines counted
    // from the bottom), its cells as the preview, and its colours, scanned from the bottom row up,
    // each row left to right, as palette indexes (at most MaxColors + 1 counted). Without a drawing
    // or a selection only the preview is hidden. A pending paste is applied first.
    void FillFromSelection(TBoardFormats* Board);

    int GetX1();
    int GetX2();
    int GetY1();
    int GetY2();
    void SetX1(int Value);
    void SetX2(int Value);
    void SetY1(int Value);
    void SetY2(int Value);
    // The count field, 2 when below 2 and MaxColors when above; SetColorCount takes 2..MaxColors
    // only.
    int GetColorCount() const;
    void SetColorCount(int N);
    int GetOffset() const { return Offset.Offset(); }
    // The palette index of each of the first GetColorCount() colour boxes (-1 for an empty box).
    std::vector<int> GetColors() const;

    // The entry's base name ("<L><n>clrJaq<word>" or "<L>2clrLinks"), empty without a structure;
    // Links sets the count to 2. FixedProgramFileName is Export/Fixed/ and that name.
    QString FixedProgramName();
    QString FixedProgramFileName();

protected:
    void showEvent(QShowEvent* Event) override;
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    void btnOKClick();
    void ShowFoundColors();

    TPrjContainer* FProject = nullptr;
    MPopupPalette* FPopup = nullptr;
};
