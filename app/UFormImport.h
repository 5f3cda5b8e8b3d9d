#pragma once
// The import window of a project: builds the knitting program stripe by stripe from library
// modules, fixed programs over a selected rectangle of the drawing and rib programs, each appended
// or inserted after the selected stripe; stripes are renamed, divided and merged. OK stores the
// result in the project (lists sorted, strip identifiers stamped on the S lines); Cancel, and the
// close box, put the lists, the machine description with its stripes and the drawing back exactly
// as they were when the window opened.

#include "app/UPictureDialogs.h"
#include "app/UStripImport.h"
#include "model/UmapRect.h"

#include <memory>

class MListBox;
class MMenuItem;
class MPanel;
class MPopupMenu;
class TBoardFormats;
class TBoardWindow;
class TFormFixedProg;
class TFormImportData;
class TFormModulePrperty;
class TFormRIBProg;
class TPrjContainer;

// The import window's own message.
namespace importmsg {
constexpr int Code = 11;
constexpr int MissingProgram = 4113; // (name): a fixed or rib program the library does not hold
} // namespace importmsg

class TFormImport : public TPictureDialog {
    Q_OBJECT
public:
    explicit TFormImport(QWidget* Parent = nullptr);
    // Applies the result or discards it, when Finish has not run yet.
    ~TFormImport() override;

    MListBox* LbxStripes = nullptr;
    MButton* btnAddModule;
    MButton* btnFixedProgram;
    MButton* btnRIB;
    MButton* btnOK;
    MButton* btnCancel;
    MPanel* pnlWait;
    MPopupMenu* MPopupMenu1 = nullptr;
    MMenuItem* mnuRename;
    MMenuItem* mnuDevide;
    MMenuItem* mnuMerge;

    // The owned pickers.
    TFormModulePrperty* FormModulePrperty() const { return FModuleProperty.get(); }
    TFormImportData* FormImportData() const { return FImportData.get(); }
    TFormFixedProg* FormFixedProg() const { return FFixedProg.get(); }
    TFormRIBProg* FormRIBProg() const { return FRibProg.get(); }
    // The engine and its working sets.
    MStripImport& Engine() { return FEngine; }

    bool ProjectAttached() const { return FProject != nullptr; }
    bool Accepted() const { return FAccepted; }
    // Something was imported (an import that succeeded) while the window was open.
    bool Loaded() const { return FLoaded; }

    // Only a project container is taken: the pickers get it, the module picker its machine.
    void SetProject(TPrjContainer* Project);
    // Prepares the working sets and the stripes, fills the list and shows the window modally.
    void Execute();
    // Applies the result (OK) or discards it: the lists, the machine description with the stripes
    // and the drawing as they were. Runs once.
    void Finish();

    // ---- The buttons and the stripe menu.
    void btnAddModuleClick();
    void btnFixedProgramClick();
    void btnRIBClick();
    void btnOKClick();
    void btnCancelClick();
    // Enables the menu's items for the stripes and the selection.
    void MPopupMenu1Popup();
    void mnuRenameClick();
    void mnuDevideClick();
    void mnuMergeClick();
    // One line per stripe.
    void RefreshStripList();

    // ---- Steps of the buttons, public for the tests.
    // Imports one entry with "Please Wait" shown; an error is shown and changes nothing.
    bool ImportEntry(const MImportPlacement& Placement);
    // Removes a leading "RIB" stripe (with at least one stripe after it): its S lines and their Z
    // rows leave the result and the stripes and S lines after it move down.
    void RemoveLeadingRib();

protected:
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    // Runs a picker at the window's left and top plus 10.
    template <class TPicker>
    bool ExecuteAt(TPicker& Picker);
    TBitmap* DrawingRaster();
    // The board takes its raster again after the engine changed it.
    void RefreshDrawing();
    void MarkProjectChanged();
    // The S lines of a stripe carry its identifier in the result.
    void StampStripe(const MStrip& Strip);

    TPrjContainer* FProject = nullptr;
    TBoardFormats* FBoard = nullptr;
    // The drawing's marks when the window opened, and a picture for a project without a board.
    bool FBoardModified = false, FBoardAutosave = false, FDrawingChanged = false;
    TBitmap FLooseDrawing;
    // A paste that floated when the window opened: the picture under it and the paste itself, so
    // that Cancel lets it float again instead of leaving it written into the picture.
    TBoardWindow* FPasteBoard = nullptr;
    TBitmap FUnderPaste;
    MmapRect FPaste;
    bool FAccepted = false;
    bool FLoaded = false;
    bool FFinished = false;
    bool FPrepared = false;
    MStripImport FEngine;
    std::unique_ptr<TFormModulePrperty> FModuleProperty;
    std::unique_ptr<TFormImportData> FImportData;
    std::unique_ptr<TFormFixedProg> FFixedProg;
    std::unique_ptr<TFormRIBProg> FRibProg;
};

// Opens the import window over a project at At (the project window's left edge below it) and
// applies or discards its result; true when OK stored something imported.
bool RunImportWindow(TPrjContainer& Project, QPoint At);
// Gives the project's Import button the import window.
void InstallImportWindow();
