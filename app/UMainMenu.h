#pragma once
// The main window's menu: File, Image, Window, Tools and Help, each a bilingual popup that runs from
// the right in Arabic. Most items send a command on the main window's bus; the others open a dialog,
// start an outside program or copy files. A top menu enables its items from the current project and
// drawing when it opens; an item checks its rule again when it is triggered, so a shortcut never
// acts on a state the menu showed earlier. While no menu is open every item stays enabled, so that
// its shortcut reaches that check.

#include "imaging/ImageIO.h"

#include <QKeySequence>
#include <QObject>

#include <functional>
#include <vector>

class MMainMenu;
class MMenuItem;
class MPopupMenu;
class MDockToolBar;
class TFormMain;

// The catalogue texts of loading the default fixed programs (code 11).
namespace fixedmsg {
constexpr int Code = 11;
constexpr int NoDefaults = 4940; // the default folder holds no program: nothing changed
constexpr int Replace = 4941;    // (count): the fixed programs will be replaced; Yes or No
constexpr int CopyFailed = 4942; // (file;reason): a default program could not be copied; nothing changed
constexpr int ReplaceFailed =
    4943; // (folder;reason): the fixed folder could not be replaced; nothing changed
} // namespace fixedmsg

class TMainMenu : public QObject {
public:
    TMainMenu(TFormMain& Main, MMainMenu& Bar);
    ~TMainMenu() override;

    // The five top menus: the item on the bar and its popup.
    MMenuItem* mnuFile;
    MMenuItem* mnuImage;
    MMenuItem* mnuWindows;
    MMenuItem* mnuTools;
    MMenuItem* mnuHelp;
    MPopupMenu* FilePopup;
    MPopupMenu* ImagePopup;
    MPopupMenu* WindowsPopup;
    MPopupMenu* ToolsPopup;
    MPopupMenu* HelpPopup;

    MMenuItem* FileNewProject;
    MMenuItem* FileOpenProject;
    MMenuItem* FileSaveProject;
    MMenuItem* FileSaveProjectAs;
    MMenuItem* FileNewImage;
    MMenuItem* FileOpenImage;
    MMenuItem* FileSave;
    MMenuItem* FileSaveAs;
    MMenuItem* FileSaveAll;
    MMenuItem* FileCloseAll;
    MMenuItem* FileSelectScanner;
    MMenuItem* FileAcquire;
    MMenuItem* FileTeleTransfer;
    MMenuItem* ImportFrom6x4sys;
    MMenuItem* ImportFrom6x2sys;
    MMenuItem* ExportTo6x;
    MMenuItem* N6;
    MMenuItem* ImageResize;
    MMenuItem* ImageColorDepth;
    MMenuItem* ImageJaquadPalette;
    MMenuItem* ImageGrayScale;
    MMenuItem* ImageConvertToBW;
    MMenuItem* WindowsTools;
    MMenuItem* WindowsView;
    MMenuItem* WindowsBrushes;
    MMenuItem* WindowsColors;
    MMenuItem* WindowsDrawing;
    MMenuItem* toolsBrowser;
    MMenuItem* toolsDiskManger;
    MMenuItem* LoaddefaultfixedProgram1;
    MMenuItem* toolsOptions;
    MMenuItem* HelpContents;
    MMenuItem* HelpAbout;

    // The picture component of the scanner commands.
    TImageIO OImageIO;

    // ---- The top menus' enabling, run when each opens.
    void mnuFileClick();
    void mnuImageClick();
    void mnuWindowsClick();
    void mnuToolsClick();

    // Whether an item may act now (its enabling rule; true for an item without one).
    bool Allowed(const MMenuItem* Item) const;
    // Triggers an item as a click or its shortcut does: nothing when its rule forbids it now; an error
    // of its handler is shown.
    void Trigger(MMenuItem* Item);

    // ---- The handlers that do more than send one command. Each raises its errors.
    void FileNewImageClick();
    void FileOpenImageClick();
    void FileSaveAllClick();
    void FileAcquireClick();
    void ImageColorDepthClick();
    void ImageConvertToBWClick();
    // Shows the toolbar when it is hidden and hides it when it is shown.
    void ToggleToolbar(MDockToolBar* Toolbar);
    // Starts the program at Path without waiting for it; nothing when the path is empty or the
    // program cannot be started.
    static void StartProgram(const QString& Path);
    // Replaces the fixed programs' folder with the files of the default folder, after a question
    // that names how many programs go; a default folder without a file changes nothing and says so.
    // The files are copied into a staging folder beside the fixed one, which takes its place only
    // when every file copied (the fixed folder's subfolders and hidden names stay); a failure leaves
    // the fixed folder as it was and names the file.
    void LoaddefaultfixedProgram1Click();

private:
    struct TEntry {
        MMenuItem* Item;
        const MPopupMenu* Menu;
        std::function<void()> Handler;
        std::function<bool()> Rule;
    };
    MPopupMenu* TopMenu(MMenuItem*& Top, const char* Name, const char* Arabic, const char* English);
    MMenuItem* Add(MPopupMenu* Menu, const char* Name, const char* Arabic, const char* English,
                   QKeySequence Shortcut, std::function<void()> Handler, std::function<bool()> Rule = {});
    void Separator(MPopupMenu* Menu);
    // Sets each item of Menu enabled by its rule, or every item enabled.
    void ApplyRules(const MPopupMenu* Menu, bool ByRule);
    const TEntry* EntryOf(const MMenuItem* Item) const;
    // The toolbar behind a Window item.
    MDockToolBar* ToolbarOf(const MMenuItem* Item) const;

    TFormMain& FMain;
    MMainMenu& FBar;
    std::vector<TEntry> FEntries;
};
