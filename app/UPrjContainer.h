#pragma once
// One open project: a small bar of buttons in the main window's MDI area that owns the project's
// data (the machine description and the ten module lists, the palette, the header of its project
// data file) and opens, toggles and tracks the project's windows: the ten module windows, the
// drawing, the program test and the graphic test, and the modal import window. It applies the rows
// being edited in its module windows, keeps the project's marks, minimises and restores its windows
// with itself and asks before a changed project is closed. The files are read and written through
// UProjectFiles.

#include "app/UBusSeams.h"
#include "app/UMain.h"
#include "imaging/Bitmap.h"
#include "model/UColors.h"
#include "model/UProject.h"
#include "model/UprjHeader.h"
#include "ui/Adapter.h"

#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class MSpeedButton;
class MImage;
class QMdiSubWindow;
class TBoardFormats;
class TOFormNewProj;
class TPrjContainer;

// The catalogue texts of the container (code 11).
namespace containermsg {
constexpr int Code = 11;
constexpr int SaveChanged = 3601; // (name): the project has changed; Yes, No or Cancel
// (base): Save Project As would replace another project's files under the name with its machine
// ending; Yes or No
constexpr int ReplaceProject = 5001;
} // namespace containermsg

// The project window indexes.
namespace prjwin {
constexpr int N = 0, S = 1, Z = 2, W = 3, FS = 4, FE = 5, FD = 6, P = 7, R = 8, C = 9;
constexpr int Drawing = 10, ProgramTest = 11, GraphicTest = 12;
constexpr int Count = 13;
} // namespace prjwin

// A module window (or the Setup Scheme window) as its container drives it.
class MProjectChild {
public:
    virtual ~MProjectChild() = default;
    // Stores the row being edited in its list: false when the store was refused (the row keeps its
    // text); raises when the row is not valid.
    virtual bool ApplyEdit() = 0;
    // Whether the row being edited differs from its stored entry (storing it would write).
    virtual bool EditPending() const { return false; }
    // Lays the row being edited over its entry in Lists, a copy of the project's lists, without a
    // word and without touching the project's own lists; a row that cannot be stored leaves the
    // entry as it is stored.
    virtual void LayEditOver(MProgramLists& Lists) const { (void)Lists; }
    // Shows the entry Number.
    virtual void GotoItem(int Number) { (void)Number; }
    // Reads its rows again from the list (after an import; the Setup Scheme window its entry 1).
    virtual void ReloadRows() {}
    // Names the project again in its captions (after the project's name changed).
    virtual void ShowCaption() {}
};

// One open child window of a project.
struct MFormInfo {
    int Index = 0;
    QPointer<QWidget> Window;
    // The state it had when the container was minimised.
    Qt::WindowStates SavedState = Qt::WindowNoState;
};

class TPrjContainer : public MForm, public MBusProject, public MProject, public MProjectHeaderOwner {
    Q_OBJECT
public:
    // Main: the main window that owns the container; null for a container of its own.
    explicit TPrjContainer(TFormMain* Main, QWidget* Parent = nullptr);
    ~TPrjContainer() override;

    static constexpr int FixedWidth = 643;
    static constexpr int FixedHeight = 70;

    // ---- Child windows. A creator makes the window of an index (its owner is the container); the
    // issue that builds the window installs it. A button without a creator is disabled.
    using TChildCreator = std::function<QWidget*(TPrjContainer& Container)>;
    static void SetChildCreator(int Index, TChildCreator Creator);
    static bool HasChildCreator(int Index);
    // The import window: shown modally over the project; answers whether something was imported.
    using TImportRunner = std::function<bool(TPrjContainer& Container, QPoint At)>;
    static void SetImportRunner(TImportRunner Runner);
    // Save Project As: true with the chosen name. Unset: the station's non-native file dialog.
    static std::function<bool(const TSaveImageRequest& Request, QString& FileName)> SaveAsDialog;

    void RegisterChild(int Index, QWidget* Window);
    void UnregisterChild(int Index);
    bool IsChildOpen(int Index) const;
    QWidget* ChildWindow(int Index) const;
    QWidget* ActiveChild() const { return FActiveChild; }
    // The button of a window index: creates the window when it is not open, else makes a minimised
    // window normal, minimises the active child or brings the window to the front.
    void PressButton(int Index);
    MSpeedButton* Button(int Index) const;
    MSpeedButton* ImportButton() const { return btnImport; }
    // Enables each button that has a creator (the drawing's while the drawing is open).
    void UpdateButtons();

    // ---- The operations.
    void ChildActivated(QWidget* Window);
    // Every open module window stores its row being edited, in order, before the project closes or
    // takes an import or an export: the first row that cannot be stored shows why (a refused
    // overwrite has asked its own question), its window comes to the front, and the windows after
    // it are not asked: false.
    bool ApplyAllEdits();
    // The rows being edited stored before a save: false at the first refused row, whose window keeps
    // its text and comes to the front; errors pass on, so a save never writes the lists without a
    // row the user typed.
    bool StoreAllEdits();
    // Whether a module window holds a row being edited that differs from its stored entry.
    bool EditsPending() const;
    // A scratch copy of the project's lists with each window's row being edited laid over its
    // entry: what a desktop copy writes. The project's lists, its marks and the focus stay as they
    // are, nothing is asked or shown, and a row that cannot be stored is copied as stored.
    std::unique_ptr<MProgramLists> ListsWithEdits() const;
    void SyncChildStates();
    void GotoModuleItem(int Kind, int Number);
    void OpenImportWindow();
    void FormActivate();
    QString ProgramName() const { return FProgramName; }
    MProjHeader& Header() { return FHeader; }
    // The file names of the project: data, machine, picture.
    QString HeaderFileName() const { return FHeaderFile; }
    QString MachineFileName() const { return FMachineFile; }
    QString ImageFileName() const { return FImageFile; }
    // The New Project dialog.
    TOFormNewProj* OFormNewProj() const { return FNewProj.get(); }
    // The drawing as a board; null while there is none.
    TBoardFormats* Board() const;
    // The picture of the project: the drawing's raster, or the one it keeps without a drawing.
    const TBitmap& Picture() const;

    // ---- MBusProject
    QWidget* BusWidget() override { return this; }
    bool IsModified() const override;
    void SetModified(bool Value) override;
    bool NeedsAutosave() const override;
    void SetNeedsAutosave(bool Value) override;
    QString GetProjectName() const override { return FProjectName; }
    void SetProjectName(const QString& Name) override;
    void OpenProject(const QString& FileName) override;
    void NewProject() override;
    bool SaveProject(const QString& FileName) override;
    bool SaveProjectAs() override;
    void SaveDeskTopCopy(const QString& CopyBase) override;
    void ApplyMachineColors() override;
    MBusDrawing* Drawing() const override;
    void ChildActivated() override { ChildActivated(this); }
    bool ClosingAfterItsQuestion() const override { return FClosing; }

    // ---- MProject
    MProgramLists& Program() override { return *FLists; }
    MPalette& Palette() override { return FPalette; }
    MPatternSource* Pattern() override;
    void RefreshSetupForm() override;

    // ---- MProjectHeaderOwner
    MPalette& HeaderPalette() override { return FPalette; }
    TColor ReservedColor() const override;
    TColor ReservedColorSubstitute() const override;

protected:
    void DOAfterLanguageChange(int aNewLanguage) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void BuildButtons();
    void FormResize();
    // Asks 11/3601 when the project changed; false when the closing is cancelled.
    bool AskToSave();
    // Save Project As chose Chosen and saves under Name, its ending added: asks 11/5001 when Name's
    // files belong to another project the file dialog did not ask about; false unless replacing is
    // agreed or nothing is replaced.
    bool ReplaceAsked(const QString& Chosen, const QString& Name);
    // The close protocol with the main window; false when the drawing refused to close.
    bool CloseWithMain();
    QMdiSubWindow* SubWindow(const QWidget* Window) const;
    QWidget* Frame(QWidget* Window) const;
    void ShowChild(QWidget* Window);
    // A window whose row could not be stored comes to the front (made normal when minimised).
    void BringForward(QWidget* Window);
    void CreateChild(int Index);
    void ToggleChild(int Index, bool MayMinimise);
    // Makes the project's drawing with Picture (only when the main window owns the container).
    void MakeDrawing(TBitmap&& Picture);
    // Shows the bar in the main window's client area at its first place.
    void ShowBar();
    // The drawing's caption: "Image  Prog:<program>  Machine:<model>  E:<gauge>  ", in Arabic or English.
    void ShowDrawingCaption(bool Arabic);
    // Opens the drawing under the bar, sized to its whole picture at a zoom the client area holds.
    void PlaceDrawing(QWidget* Window);
    void WatchFrame();
    // Whether any of the ten lists has the mark; sets the mark of every list.
    bool ListsMarked(bool MUnvList::*Mark) const;
    void MarkLists(bool MUnvList::*Mark, bool Value);
    void ForgetChild(QObject* Window);

    TFormMain* FMain;
    std::vector<MFormInfo> FChildren;
    bool FPositioning = false;
    bool FChildrenShown = true;
    bool FBusy = true;
    bool FReady = false;
    bool FClosing = false;
    QString FProjectName;
    QString FHeaderFile, FMachineFile, FImageFile;
    bool FNeedsAutosave = false;
    // The machine file image of the last desktop copy when rows being edited were laid over it:
    // the copy is written again when they change.
    QByteArray FCopiedEdits;
    bool FModified = false;
    QString FProgramName;
    std::unique_ptr<MProgramLists> FLists;
    MPalette FPalette;
    MProjHeader FHeader;
    std::unique_ptr<TOFormNewProj> FNewProj;
    QPointer<QWidget> FDrawingWindow;
    MBusDrawing* FDrawing = nullptr;
    // The picture while the container has no drawing.
    TBitmap FLoosePicture;
    QPointer<QWidget> FActiveChild;
    QPointer<QMdiSubWindow> FWatchedFrame;

    MImage* MImage1 = nullptr;
    std::array<MSpeedButton*, prjwin::Count> FButtons{};
    MSpeedButton* btnImport = nullptr;
};

// A project container of the main window, as the station's bus factory makes it: placed in the
// frame's MDI area by the registry, freed when it closes.
MBusProject* NewProjectContainer(TFormMain& Main);

// The tail every window of a project puts after its own name: "  Prog:<program>  Machine:<model>
// E:<gauge>  ", the same in both languages.
QString ProjectCaptionTail(const QString& ProgramName, const MMachineInfo& Machine);
