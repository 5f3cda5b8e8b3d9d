#pragma once
// The module editor windows: one window per module kind of a project (N, S, Z, W, FS, FE, FD, P, R),
// each an MDI child with a toolbar of list commands on top and the kind's container below it, which
// shows the project's list of the kind as rows. The window sizes itself by whole rows between the
// kind's least and largest number of visible rows, stores the row being edited before it resizes,
// closes or hands the activation to another window, and names the project, machine and gauge in
// its caption in both languages.

#include "app/UPrjContainer.h"
#include "editors/RContainerPanel_m.h"

#include <QMdiSubWindow>
#include <QPointer>

class MToolBar;
class MSpeedButton;
class MPopupMenu;

// A window of a project that its container creates and tracks (the module windows and the Setup
// Scheme window): an MDI child with the system menu and minimise only, the kind's title followed by
// the program, machine and gauge in its captions, telling the project when it becomes active.
class MProjectChildForm : public MForm, public MProjectChild {
    Q_OBJECT
public:
    ~MProjectChildForm() override;
    TPrjContainer& Project() const { return FProject; }
    int WindowIndex() const { return FIndex; }
    bool Ready() const { return FReady; }
    // Title + "  Prog:<program>  Machine:<model>  E:<gauge>  " in both languages.
    void ShowCaption() override;

protected:
    MProjectChildForm(TPrjContainer& Project, int Index, const char* ArabicTitle, const char* EnglishTitle);
    bool event(QEvent* Event) override;
    // The sub-window's state changed; the base tells the project when the window became active.
    virtual void FrameStateChanged(Qt::WindowStates Old, Qt::WindowStates New);
    void FormActivate();
    QMdiSubWindow* FrameWindow() const { return FFrame; }
    // Called once the window stands in its sub-window (flags and title set).
    virtual void FramePlaced(QMdiSubWindow* Frame) { (void)Frame; }
    // Puts the frame at At, also after its area placed it by its own rule.
    void PlaceFrame(QMdiSubWindow* Frame, QPoint At);

    bool FReady = false;

private:
    void WatchFrame();

    TPrjContainer& FProject;
    int FIndex;
    QString FArabicTitle, FEnglishTitle;
    QPointer<QMdiSubWindow> FFrame;
};

class MModuleForm : public MProjectChildForm, public MRContainerHost {
    Q_OBJECT
public:
    static constexpr int ToolBarHeight = 37;
    static constexpr int ButtonWidth = 25;
    static constexpr int ButtonHeight = 32;

    ~MModuleForm() override;

    MRContainerPanel* Container() const { return FContainer; }
    MUnvList& Items() const { return *FItems; }
    // Binds a list to the container (the window shows it from its start).
    void SetItems(MUnvList& List);
    bool Minimized() const { return FMinimized; }

    MToolBar* MToolBar1 = nullptr;
    MPopupMenu* MPopupMenu1 = nullptr;
    MSpeedButton* SaveBTN = nullptr;
    MSpeedButton* NewBTN = nullptr;
    MSpeedButton* DeleteBTN = nullptr;
    MSpeedButton* CutBTN = nullptr;
    MSpeedButton* CopyBTN = nullptr;
    MSpeedButton* InsertBTN = nullptr;
    MSpeedButton* PasteBTN = nullptr;
    MSpeedButton* SortBTN = nullptr;
    MSpeedButton* GotoBtn = nullptr;
    MSpeedButton* SpecFuncBtn = nullptr;

    // The container's ApplyEditingRow: false when the store was refused; raises when the row is not
    // valid (the row shows why).
    bool ApplyEdits();
    // The export of the project's S modules (the S window's button).
    void SaveBTNClick();
    // What the S window's button runs; unset, the button is disabled.
    static std::function<void(TPrjContainer& Project)> ExportRunner;

    // ---- MProjectChild
    bool ApplyEdit() override { return ApplyEdits(); }
    bool EditPending() const override;
    void LayEditOver(MProgramLists& Lists) const override;
    void GotoItem(int Number) override;
    void ReloadRows() override;

    // ---- MRContainerHost
    QSize ContainerClientSize() const override { return size(); }
    void SetContainerClientSize(QSize Size) override;

protected:
    // Index: the window index (the kind's clipboard code); the titles of the kind.
    MModuleForm(TPrjContainer& Project, int Index, const char* ArabicTitle, const char* EnglishTitle);
    // The kind's container made: its project, layout, clipboard, buttons, menu and list.
    void Build(MRContainerPanel* Container, MUnvList& List);

    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void FrameStateChanged(Qt::WindowStates Old, Qt::WindowStates New) override;
    void FramePlaced(QMdiSubWindow* Frame) override;

private:
    void BuildToolBar();
    void PlaceToolBar();
    void FormResize();
    // Stores the editing row when another window takes the activation.
    void StoreOnTakeOver();

    MUnvList* FItems = nullptr;
    MRContainerPanel* FContainer = nullptr;
    bool FFirstResize = true;
    bool FResizing = false;
    bool FMinimized = false;
    // A refused row is held while the other window takes over.
    bool FHoldingRefused = false;
    QPointer<QMdiSubWindow> FTakeOverTarget;
};

// The window of a kind: TContainer over the project's list of window Index.
template <class TContainer, int Index>
class TModuleForm : public MModuleForm {
public:
    explicit TModuleForm(TPrjContainer& Project);
    TContainer* KindContainer() const { return static_cast<TContainer*>(Container()); }
};

#define KDS_MODULE_FORM(Name, Container, Index)                                                              \
    class Container;                                                                                         \
    class Name : public TModuleForm<Container, Index> {                                                      \
    public:                                                                                                  \
        using TModuleForm::TModuleForm;                                                                      \
    };
KDS_MODULE_FORM(TN_Form, MRNContainerPanel, wiN)
KDS_MODULE_FORM(TS_Form, MRSContainerPanel, wiS)
KDS_MODULE_FORM(TZ_Form, MRZContainerPanel, wiZ)
KDS_MODULE_FORM(TW_Form, MRWContainerPanel, wiW)
KDS_MODULE_FORM(TFS_Form, MRFSContainerPanel, wiFS)
KDS_MODULE_FORM(TFE_Form, MRFEContainerPanel, wiFE)
KDS_MODULE_FORM(TFD_Form, MRFDContainerPanel, wiFD)
KDS_MODULE_FORM(TP_Form, MRPContainerPanel, wiP)
KDS_MODULE_FORM(TR_Form, MRRContainerPanel, wiR)
#undef KDS_MODULE_FORM

// Makes the module window of a window index (N .. R); null for another index or a kind whose
// container the station does not have.
MModuleForm* NewModuleForm(TPrjContainer& Project, int Index);
// Gives the project container the creators of the module windows.
void InstallModuleWindows();
