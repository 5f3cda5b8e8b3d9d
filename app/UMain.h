#pragma once
// The station's main window: the maximised frame "JXW777" with its four docks around the MDI area,
// the main menu with the Language menu, the five drawing toolbars and the status bar with the needle
// and line read-out. It keeps the stored settings, the registry of drawing windows and project
// containers with the command bus that drives them, opens the files named on the command line or
// dropped on it, copies changed projects to the desktop folder every few minutes and brings them
// back after a crash.

#include "app/BusCodes.h"
#include "app/UBusSeams.h"
#include "app/UDeskTopSaver.h"
#include "app/UMainSettings.h"
#include "app/UMainTools.h"
#include "app/UPictureDialogs.h"
#include "ui/Adapter.h"

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class MLabel;
class MMainMenu;
class MMessageService;
class QMdiArea;
class QMdiSubWindow;
class TDockArea;
class TFriendlyStatusBar;
class TMessageBox;
class TFormOpenProj;
class TImageIO;
class TMainMenu;

// One entry of the Save Image As dialog's filter list, in the order of the file type numbers: the
// index of the entry is the file type the chosen name is given.
struct TImageFilter {
    const char* Name;
    const char* Pattern;
};
extern const std::array<TImageFilter, 12> SaveImageFilters;
// "Name (*.ext)" of every entry, in order.
QStringList SaveImageFilterTexts();

// What the Save Image As dialog is opened with.
struct TSaveImageRequest {
    QString Title;
    QStringList Filters;
    int FilterIndex = 0;
    QString InitialFolder;
};

// The outside world of the main window, given when the station starts: tests replace each part.
struct TMainServices {
    // The INI file of the settings.
    QString SettingsFile;
    // The arguments left after Qt's own options, without the program's name.
    QStringList Arguments;
    // Save Image As: true with the chosen name and the index of the chosen filter; false when
    // cancelled.
    std::function<bool(const TSaveImageRequest& Request, QString& FileName, int& FilterIndex)>
        SaveImageDialog;
    // The colour dialog: true with the chosen colour.
    std::function<bool(TColor& Color)> ColorDialog;
    // Whether a BMP is written in true colour (1) or in 16 colours (20); 0 when cancelled.
    std::function<int()> ImageTypeQuestion;
    // The beep of a drop.
    std::function<void()> Beep;
    // The message service the windows show their numbered messages through; when none is given the
    // main window creates the message box over the catalogue.
    MMessageService* Messages = nullptr;
    // The intro window shown while the main window is created (owned by the caller of the function).
    std::function<std::unique_ptr<QWidget>(QWidget* Owner)> MakeIntro;
    // Timer1 runs; tests call its handler themselves.
    bool RunTimer = true;
    // Import From Scanner: scans into the component's attached bitmap, true when a picture came; by
    // default the component's own acquisition through the scanner's dialog.
    std::function<bool(TImageIO& IO)> AcquireImage;
};

// Answer of the closing commands 518 and 519 when a window refused to close.
constexpr int CloseCancelled = -2;

class TFormMain : public MForm, public MMainToolsHost, public MPictureDialogHost, public MDeskTopHost {
    Q_OBJECT
public:
    explicit TFormMain(TMainServices Services, QWidget* Parent = nullptr);
    ~TFormMain() override;

    // ---- Life cycle.
    // The start-up steps, in order. An error of a step ends the sequence and is raised.
    void FormCreate();
    // Runs when the program shows the window (also the first time).
    void FormShow();
    // The closing of the frame: Close All, then the desktop folder is emptied. False (nothing
    // emptied) when a window refused to close.
    bool FormClose();
    // Writes the settings (the language as the pack has it now).
    void FormDestroy();

    // ---- Settings.
    TMainSettings& Settings() { return FSettings; }
    const TMainSettings& Settings() const { return FSettings; }
    void ReadSettings();
    void WriteSettings();
    int TickLimit() const { return FDeskTop->TickLimit(); }
    // Takes changed settings into effect: the tick limit from the minutes, the two list switches.
    void SettingsChanged();
    // Tools > Options over the settings; true on OK.
    bool toolsOptionsClick();
    QString DeskTopFolder() const { return FDeskTop->Folder(); }
    QString CacheFolder() const { return FCacheFolder; }

    // ---- Files.
    void OpenAnyFile(const QString& FileName);
    // Every road that opens a project comes here (Open Project, a drop, the command line, a received
    // project, the desktop restore). A project that is open already is brought forward and given
    // back instead of opened again, so two containers never edit the same files.
    MBusProject* OpenProjectFile(const QString& FileName);
    // The open project whose project data file FileName names (by any of the project's three names;
    // compared as canonical paths); null when none is.
    MBusProject* FindOpenProject(const QString& FileName) const;
    MBusDrawing* OpenImageFile(const QString& FileName, int FileType);
    // The files of one drop, in order: each opens on its own; an error is shown and the next goes on.
    void OpenDroppedFiles(const QStringList& FileNames);
    // File > New Project: a new container makes a new project; an error closes it and is raised.
    MBusProject* FileNewProjectClick();
    // File > Open Project: the machine-file dialog, starting in the last project open folder, then
    // the chosen file opens as a project. Null when the dialog was cancelled.
    MBusProject* FileOpenProjectClick();
    // File > Telephone Transfer: the transfer window, shown modally and starting in the last project
    // open folder; once it has closed, every machine program file it received opens as a project, in
    // order (an error is shown and the next goes on).
    void FileTelephoneTransferClick();

    // ---- The registry and the command bus.
    MBusDrawing* NewKnitWindow(bool StandAlone = true, bool AutoFit = false);
    MBusProject* NewPrjContainer();
    int SendCommand(int Group, int Command, int Param = 0, int Param2 = 0);
    int ExecCommand(int Group, int Command, int Param = 0, int Param2 = 0);
    int SendPrjCommand(int Group, int Command, int Param = 0, int Param2 = 0);
    int ExecPrjCommand(int Group, int Command, int Param = 0, int Param2 = 0);
    // Notifications of the drawings; code 9 raises the silent abort when the closing is cancelled
    // (the drawing's close handler ignores its close event then).
    int KnitWindowNotify(int Group, int Code, int Param = 0, int Param2 = 0);
    int PrjContainerNotify(int Group, int Code, int Param = 0, int Param2 = 0);
    void SetCurrentWindow(int Id);
    MBusDrawing* FindKnitWindow(int Id) const;
    MBusProject* FindPrjContainer(int Id) const;
    MBusProject* FindPrjOfKnitWindow(const MBusDrawing* Window) const;
    // The project that Save Project and Save Project As work on while window Id is the current one:
    // the project container numbered Id, or the project whose own drawing (its stand-alone flag
    // clear) is numbered Id; null for any other window.
    MBusProject* ProjectOfWindow(int Id) const;
    // A stand-alone drawing closes: asks to save its changes (Yes, No, Cancel); Cancel, a box closed
    // without a button, a cancelled Save As or a failed save raise the silent abort and the drawing
    // stays registered.
    void KnitWindowClosing(int Id);
    void PrjContainerClosing(int Id);
    void RestoreDetachedContainer();
    // Every project container, then every drawing, newest first, is asked to close; false at the
    // first that refuses.
    bool CloseAll();
    int CurrentWindowNumber() const { return FCurrentWindow; }
    int NextWindowNumber() const { return FNextWindow; }
    MBusDrawing* TargetDrawing() const;
    MBusProject* CurrentProject() const;
    MBusProject* DetachedContainer() const;
    // The registered windows, in order (closed ones left out).
    std::vector<MBusDrawing*> Drawings() const;
    std::vector<MBusProject*> Projects() const;
    QRect StoredRect() const override { return FStoredRect; }
    void SetStoredRect(const QRect& Rect) override { FStoredRect = Rect; }

    // ---- Pictures.
    // Saves a drawing's picture (511); AsNew asks for a new name (512). False when cancelled.
    bool SavePicture(MBusDrawing& Drawing, bool AsNew);
    // The file type a BMP is written with: 1 true colour, 20 sixteen colours; 0 when cancelled.
    int AskFileType();

    // ---- The frame.
    int ReservedClientWidth() const;
    int ReservedClientHeight() const;
    // The client area of the frame (between the menu and the status bar).
    QSize MainClientSize() const;
    QMdiArea* Client() const { return FClient; }
    MMainMenu* OMainMenu() const { return FMainMenu; }
    // The File, Image, Window, Tools and Help menus of OMainMenu with their items and handlers.
    TMainMenu& MainMenu() const { return *FMenu; }
    TFriendlyStatusBar* FriendlyStatusBar1() const { return FStatusBar; }
    MLabel* LabelXCaption() const { return FLabelXCaption; }
    TDockArea* DockUp = nullptr;
    TDockArea* DockLeft = nullptr;
    TDockArea* DockRight = nullptr;
    TDockArea* DockBottom = nullptr;
    TMainToolbars* Tools() const { return FTools.get(); }
    void ApplyToolsToWindow(MBusDrawing& Window);

    // ---- Desktop autosave and the toolbars' hiding.
    void Timer1Timer();
    TDeskTopSaver& DeskTop() { return *FDeskTop; }
    void SaveDeskTop() { FDeskTop->Save(); }
    void RestoreDeskTop() { FDeskTop->Restore(); }
    void ClearDeskTop() { FDeskTop->Clear(); }
    QString DeskTopListFile() const { return FDeskTop->ListFile(); }
    int TickCounter() const { return FDeskTop->TickCounter(); }
    bool ToolbarsHidden() const { return FToolbarsHidden; }
    QTimer& Timer1() { return FTimer; }

    // ---- MMainToolsHost
    int SendBusMessage(int Group, int Command, int Param, int Param2) override;
    bool ExecuteColorDialog(TColor& Color) override;
    QLabel* LabelXValue() override;
    QLabel* LabelYValue() override;
    bool ExecuteRepeatPaste(int& X, int& Y) override;
    void ExecuteFreeRotation() override;
    void ExecuteSelectionResize() override;

    // ---- MDeskTopHost
    std::vector<MBusProject*> DeskTopProjects() const override { return Projects(); }
    MBusProject* OpenDeskTopProject(const QString& FileName) override { return OpenProjectFile(FileName); }
    void ShowDeskTopNote(const QString& Text) override;

    // ---- The machine-file dialog and the picture dialogs, made hidden at start (steps 12 and 16).
    std::unique_ptr<TFormOpenProj> FormOpenProj;
    std::unique_ptr<TFormColorNos> FormColorNos;
    std::unique_ptr<TOFormNew> OFormNew;
    std::unique_ptr<TFormImageResize> FormImageResize;
    std::unique_ptr<TOFormPastRepeat> OFormPastRepeat;
    std::unique_ptr<TFormRotFree> FormRotFree;
    std::unique_ptr<TFormImageResize> FormSelectionResize;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    // The autosave's note in the status bar follows the language.
    void DOAfterLanguageChange(int aNewLanguage) override;

private:
    // The menu's handlers create and discard windows as the frame's own file commands do.
    friend class TMainMenu;
    struct TChild {
        QPointer<QWidget> Window;
        MBusDrawing* Drawing = nullptr;
        MBusProject* Project = nullptr;
    };
    void BuildFrame();
    void MakeFolders();
    void Register(QWidget* Window, MBusDrawing* Drawing, MBusProject* Project);
    void Unregister(const QWidget* Window);
    // Removes a window that failed to open from the registry and frees it.
    void Discard(QWidget* Window);
    // Makes the project's bar the active child and its project the current one.
    void BringProjectForward(MBusProject& Project);
    QMdiSubWindow* SubWindowOf(const QWidget* Window) const;
    // Closes a child through its MDI window; false when it refused.
    bool CloseChild(QWidget* Window);
    bool SaveImageAs(MBusDrawing& Drawing);
    void HideOrShowToolbars();
    bool DrawingIsActive() const;

    TMainServices FServices;
    TMainSettings FSettings;
    std::unique_ptr<TMessageBox> FMessageBox;
    MMessageService* FOldMessages = nullptr;
    bool FMessagesInstalled = false;
    std::unique_ptr<TMainToolbars> FTools;

    MMainMenu* FMainMenu = nullptr;
    std::unique_ptr<TMainMenu> FMenu;
    TFriendlyStatusBar* FStatusBar = nullptr;
    MLabel* FLabelXValue = nullptr;
    MLabel* FLabelYValue = nullptr;
    MLabel* FLabelXCaption = nullptr;
    QMdiArea* FClient = nullptr;

    std::unique_ptr<TDeskTopSaver> FDeskTop;
    QString FCacheFolder;
    QTimer FTimer;
    bool FTimerBusy = false;
    bool FShownOnce = false;
    bool FCreated = false;
    bool FToolbarsHidden = false;
    std::array<bool, 5> FSavedToolbarVisible{};

    std::vector<TChild> FChildren;
    int FNextWindow = 1;
    int FCurrentWindow = 0;
    QPointer<QWidget> FTargetWindow;
    MBusDrawing* FTarget = nullptr;
    QPointer<QWidget> FCurrentProjectWindow;
    MBusProject* FCurrentProject = nullptr;
    QPointer<QWidget> FDetachedWindow;
    MBusProject* FDetached = nullptr;
    QRect FStoredRect;
};

// The main window; null while there is none.
extern TFormMain* FormMain;
