#include "app/UMainMenu.h"

#include "app/Intro.h"
#include "app/ULibFiles.h"
#include "app/UMain.h"
#include "app/UProjectFiles.h"

#include "editors/MRBpanel.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/FileSet.h"
#include "ui/ComboEdit.h"
#include "ui/DockToolBar_m.h"
#include "ui/FileUtil.h"
#include "ui/MainMenu_m.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The Open Image dialog's filter, one description and pattern after the other.
const char* const OpenImageFilter = "All files|*.*|BitMap image|*.bmp|Jpeg image|*.jpg|Pcx image|*.pcx|"
                                    "Tiff image|*.tif|Wmf image|*.wmf|Emf image|*.emf|Gif image|*.gif|"
                                    "Png image|*.png|Ico image|*.ico|Cur image|*.cur";

QKeySequence Keys(Qt::KeyboardModifiers Modifiers, Qt::Key Key) {
    return QKeySequence(QKeyCombination(Modifiers, Key));
}

} // namespace

TMainMenu::TMainMenu(TFormMain& Main, MMainMenu& Bar) : QObject(nullptr), FMain(Main), FBar(Bar) {
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
    TFormMain* m = &Main;
    auto send = [m](int Command) { return [m, Command] { m->SendCommand(bus::GroupFile, Command); }; };
    auto sendPrj = [m](int Command) { return [m, Command] { m->SendPrjCommand(bus::GroupFile, Command); }; };
    auto project = [m] { return m->ProjectOfWindow(m->CurrentWindowNumber()) != nullptr; };
    auto drawing = [m] { return m->FindKnitWindow(m->CurrentWindowNumber()) != nullptr; };
    auto exchange = [m] {
        return m->FindKnitWindow(m->CurrentWindowNumber()) && !m->Settings().Jxw666Path.isEmpty();
    };
    auto anyChild = [m] { return !m->Drawings().empty() || !m->Projects().empty(); };

    FilePopup = TopMenu(mnuFile, "mnuFile", "ملف", "File");
    FileNewProject = Add(FilePopup, "FileNewProject", "مشروع جديد", "New Project", Keys(ctrl, Qt::Key_N),
                         [m] { m->FileNewProjectClick(); });
    FileOpenProject = Add(FilePopup, "FileOpenProject", "فتح مشروع", "Open Project", Keys(ctrl, Qt::Key_O),
                          [m] { m->FileOpenProjectClick(); });
    FileSaveProject = Add(FilePopup, "FileSaveProject", "حفظ المشروع", "Save Project", Keys(ctrl, Qt::Key_S),
                          sendPrj(bus::CmdSaveProject), project);
    FileSaveProjectAs = Add(FilePopup, "FileSaveProjectAs", "حفظ المشروع باسم", "Save Project As",
                            Keys(ctrl, Qt::Key_A), sendPrj(bus::CmdSaveProjectAs), project);
    Separator(FilePopup);
    FileNewImage = Add(FilePopup, "FileNewImage", "صورة جديدة", "New Image", Keys(shiftCtrl, Qt::Key_N),
                       [this] { FileNewImageClick(); });
    FileOpenImage = Add(FilePopup, "FileOpenImage", "فتح صورة", "Open Image", Keys(shiftCtrl, Qt::Key_O),
                        [this] { FileOpenImageClick(); });
    FileSave = Add(FilePopup, "FileSave", "حفظ الصورة", "Save Image", Keys(shiftCtrl, Qt::Key_S),
                   send(bus::CmdSaveImage), [m] {
                       const MBusDrawing* d = m->FindKnitWindow(m->CurrentWindowNumber());
                       return d && (d->Changed || d->FileName == NoName);
                   });
    FileSaveAs = Add(FilePopup, "FileSaveAs", "حفظ الصورة باسم", "Save Image As", Keys(shiftCtrl, Qt::Key_A),
                     send(bus::CmdSaveImageAs), drawing);
    Separator(FilePopup);
    FileSaveAll = Add(
        FilePopup, "FileSaveAll", "حفظ الكل", "SaveAll", {}, [this] { FileSaveAllClick(); }, anyChild);
    FileCloseAll = Add(
        FilePopup, "FileCloseAll", "إغلاق الكل", "Close All", {}, [m] { m->CloseAll(); }, anyChild);
    Separator(FilePopup);
    FileSelectScanner = Add(FilePopup, "FileSelectScanner", "اختيار الماسح الضوئي", "Select Scanner", {},
                            [this] { OImageIO.SelectSource(); });
    FileAcquire = Add(FilePopup, "FileAcquire", "استيراد من الماسح الضوئي", "Import From Scanner", {},
                      [this] { FileAcquireClick(); });
    FileTeleTransfer = Add(FilePopup, "FileTeleTransfer", "النقل الهاتفي", "Telephone Transfer", {},
                           [m] { m->FileTelephoneTransferClick(); });
    Separator(FilePopup);
    ImportFrom6x4sys = Add(FilePopup, "ImportFrom6x4sys", "استيراد من JXW666 بأربعة أنظمة",
                           "Import from JXW666 4system", {}, send(bus::CmdImportSibling4), exchange);
    ImportFrom6x2sys = Add(FilePopup, "ImportFrom6x2sys", "استيراد من JXW666 بنظامين",
                           "Import from JXW666 2system", {}, send(bus::CmdImportSibling2), exchange);
    ExportTo6x = Add(FilePopup, "ExportTo6x", "تصدير إلى JXW666", "Export To JXW666", {},
                     send(bus::CmdExportSibling), exchange);
    Separator(FilePopup);
    N6 = Add(FilePopup, "N6", "خروج", "Exit", Keys(Qt::AltModifier, Qt::Key_F4), [m] { m->close(); });

    ImagePopup = TopMenu(mnuImage, "mnuImage", "صورة", "Image");
    ImageResize = Add(ImagePopup, "ImageResize", "تغيير الحجم", "Resize", {}, send(bus::CmdResize), drawing);
    ImageColorDepth = Add(
        ImagePopup, "ImageColorDepth", "ضبط عدد الألوان", "Adjust number of colors", {},
        [this] { ImageColorDepthClick(); }, drawing);
    ImageJaquadPalette = Add(ImagePopup, "ImageJaquadPalette", "إلى ألوان الآلة", "To machine colors", {},
                             send(bus::CmdMachineColors), drawing);
    ImageGrayScale =
        Add(ImagePopup, "ImageGrayScale", "تدرج رمادي", "Gray Scale", {}, send(bus::CmdGrayScale), drawing);
    // "&&" shows one ampersand: a single one would mark the next letter as the item's key.
    ImageConvertToBW = Add(
        ImagePopup, "ImageConvertToBW", "أبيض وأسود", "Black&&White", {}, [this] { ImageConvertToBWClick(); },
        drawing);

    WindowsPopup = TopMenu(mnuWindows, "mnuWindows", "نافذة", "Window");
    // Each Window item turns the toolbar behind it; the item is known once it is made.
    auto toggle = [this](MMenuItem* TMainMenu::*Item) {
        return [this, Item] { ToggleToolbar(ToolbarOf(this->*Item)); };
    };
    WindowsTools = Add(WindowsPopup, "WindowsTools", "نافذة الأدوات", "Tools Window", {},
                       toggle(&TMainMenu::WindowsTools));
    WindowsView =
        Add(WindowsPopup, "WindowsView", "نافذة العرض", "View Window", {}, toggle(&TMainMenu::WindowsView));
    WindowsBrushes = Add(WindowsPopup, "WindowsBrushes", "نافذة الفرش", "Brushes Window", {},
                         toggle(&TMainMenu::WindowsBrushes));
    WindowsColors = Add(WindowsPopup, "WindowsColors", "نافذة الألوان", "Colors Window", {},
                        toggle(&TMainMenu::WindowsColors));
    WindowsDrawing = Add(WindowsPopup, "WindowsDrawing", "نافذة الرسم", "Drawing Window", {},
                         toggle(&TMainMenu::WindowsDrawing));
    for (MMenuItem* item : {WindowsTools, WindowsView, WindowsBrushes, WindowsColors, WindowsDrawing})
        item->setCheckable(true);

    ToolsPopup = TopMenu(mnuTools, "mnuTools", "أدوات", "Tools");
    toolsBrowser = Add(
        ToolsPopup, "toolsBrowser", "المتصفح", "Browser", {},
        [m] { StartProgram(m->Settings().BrowserPath); },
        [m] { return !m->Settings().BrowserPath.isEmpty(); });
    toolsDiskManger = Add(
        ToolsPopup, "toolsDiskManger", "مدير الأقراص", "Disk Manager", {},
        [m] { StartProgram(m->Settings().ZodeZidadedPath); },
        [m] { return !m->Settings().ZodeZidadedPath.isEmpty(); });
    Separator(ToolsPopup);
    LoaddefaultfixedProgram1 =
        Add(ToolsPopup, "LoaddefaultfixedProgram1", "تحميل البرامج الثابتة الافتراضية",
            "Load default fixed program", {}, [this] { LoaddefaultfixedProgram1Click(); });
    Separator(ToolsPopup);
    toolsOptions = Add(ToolsPopup, "toolsOptions", "خيارات", "Options", {}, [m] { m->toolsOptionsClick(); });

    HelpPopup = TopMenu(mnuHelp, "mnuHelp", "مساعدة", "Help");
    // Contents has no action.
    HelpContents = Add(HelpPopup, "HelpContents", "المحتويات", "Contents", {}, [] {});
    HelpAbout = Add(HelpPopup, "HelpAbout", "حول", "About", {}, [] { ShowAbout(); });

    connect(FilePopup, &QMenu::aboutToShow, this, [this] { mnuFileClick(); });
    connect(ImagePopup, &QMenu::aboutToShow, this, [this] { mnuImageClick(); });
    connect(WindowsPopup, &QMenu::aboutToShow, this, [this] { mnuWindowsClick(); });
    connect(ToolsPopup, &QMenu::aboutToShow, this, [this] { mnuToolsClick(); });
    for (MPopupMenu* popup : {FilePopup, ImagePopup, ToolsPopup})
        connect(popup, &QMenu::aboutToHide, this, [this, popup] { ApplyRules(popup, false); });
}

TMainMenu::~TMainMenu() = default;

// ============================================================================ Building

MPopupMenu* TMainMenu::TopMenu(MMenuItem*& Top, const char* Name, const char* Arabic, const char* English) {
    auto* popup = new MPopupMenu(&FMain, &FMain);
    popup->setObjectName(QString::fromLatin1(Name) + QStringLiteral("Popup"));
    Top = new MMenuItem(&FMain);
    Top->setObjectName(QString::fromLatin1(Name));
    Top->M_Caption().SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    Top->M_Caption().ApplyCaption(true);
    Top->setMenu(popup);
    FBar.addAction(Top);
    return popup;
}

MMenuItem* TMainMenu::Add(MPopupMenu* Menu, const char* Name, const char* Arabic, const char* English,
                          QKeySequence Shortcut, std::function<void()> Handler, std::function<bool()> Rule) {
    auto* item = new MMenuItem(&FMain);
    item->setObjectName(QString::fromLatin1(Name));
    item->M_Caption().SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
    item->M_Caption().ApplyCaption(true);
    if (!Shortcut.isEmpty())
        item->setShortcut(Shortcut);
    Menu->addAction(item);
    FEntries.push_back({item, Menu, std::move(Handler), std::move(Rule)});
    connect(item, &QAction::triggered, this, [this, item] { Trigger(item); });
    return item;
}

void TMainMenu::Separator(MPopupMenu* Menu) {
    auto* item = new MMenuItem(&FMain);
    item->setSeparator(true);
    // A separator has no caption in any language.
    item->M_Caption().Enable = false;
    item->M_Caption().SetCaptions({QString(), QString()});
    Menu->addAction(item);
}

const TMainMenu::TEntry* TMainMenu::EntryOf(const MMenuItem* Item) const {
    for (const TEntry& e : FEntries)
        if (e.Item == Item)
            return &e;
    return nullptr;
}

// ============================================================================ Enabling

bool TMainMenu::Allowed(const MMenuItem* Item) const {
    const TEntry* e = EntryOf(Item);
    return e && (!e->Rule || e->Rule());
}

void TMainMenu::ApplyRules(const MPopupMenu* Menu, bool ByRule) {
    for (const TEntry& e : FEntries)
        if (e.Menu == Menu)
            e.Item->setEnabled(!ByRule || !e.Rule || e.Rule());
}

void TMainMenu::mnuFileClick() {
    ApplyRules(FilePopup, true);
}

void TMainMenu::mnuImageClick() {
    ApplyRules(ImagePopup, true);
}

void TMainMenu::mnuToolsClick() {
    ApplyRules(ToolsPopup, true);
}

void TMainMenu::mnuWindowsClick() {
    for (MMenuItem* item : {WindowsTools, WindowsView, WindowsBrushes, WindowsColors, WindowsDrawing}) {
        const MDockToolBar* bar = ToolbarOf(item);
        item->setChecked(bar && bar->Visible());
    }
}

void TMainMenu::Trigger(MMenuItem* Item) {
    if (!Allowed(Item))
        return;
    // The entry may go with the window the handler closes: its handler is taken first.
    const std::function<void()> handler = EntryOf(Item)->Handler;
    GuardedAction(handler);
}

// ============================================================================ File

void TMainMenu::FileNewImageClick() {
    TOFormNew* dialog = FMain.OFormNew.get();
    if (!dialog || !dialog->Execute())
        return;
    const int width = dialog->GetWidth();
    const int length = dialog->GetLength();
    MBusDrawing* d = FMain.NewKnitWindow();
    QPointer<QWidget> window = d->BusWidget();
    try {
        d->NewPicture(width, length);
        d->RefreshView();
    } catch (...) {
        // A window left behind would still take the bus's commands and be asked for a name by SaveAll.
        FMain.Discard(window);
        throw;
    }
}

void TMainMenu::FileOpenImageClick() {
    TMainSettings& settings = FMain.Settings();
    TFileDialogSettings dialog;
    dialog.Filter = QString::fromLatin1(OpenImageFilter);
    dialog.FilterIndex = 1;
    dialog.Title = QStringLiteral("Open");
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (!settings.OpenImagePath.isEmpty())
        dialog.InitialDir = settings.OpenImagePath;
    if (!MakeFileDialog()->Execute(dkOpenPicture, dialog, &FMain) || dialog.FileName.isEmpty())
        return;
    settings.OpenImagePath = QFileInfo(dialog.FileName).absolutePath();
    const int type = FileTypeOfName(dialog.FileName);
    if (type >= ftBmp && type <= ftCur)
        FMain.OpenImageFile(dialog.FileName, type);
}

void TMainMenu::FileSaveAllClick() {
    FMain.SendPrjCommand(bus::GroupFile, bus::CmdSaveAllProjects);
    FMain.SendCommand(bus::GroupFile, bus::CmdSaveAllImages);
}

void TMainMenu::FileAcquireClick() {
    TBitmap picture;
    // The component never keeps the bitmap beyond this command, however it ends.
    struct Detach {
        TImageIO& IO;
        ~Detach() { IO.SetAttachedBitmap(nullptr); }
    } detach{OImageIO};
    OImageIO.SetAttachedBitmap(&picture);
    const auto& acquire = FMain.FServices.AcquireImage;
    if (!(acquire ? acquire(OImageIO) : OImageIO.Acquire()))
        return;
    MBusDrawing* d = FMain.NewKnitWindow();
    QPointer<QWidget> window = d->BusWidget();
    try {
        d->TakePicture(OImageIO);
        d->RefreshView();
    } catch (...) {
        FMain.Discard(window);
        throw;
    }
}

// ============================================================================ Image

void TMainMenu::ImageColorDepthClick() {
    TFormColorNos* dialog = FMain.FormColorNos.get();
    if (!dialog)
        return;
    dialog->BlackWhiteMode = false;
    const int count = FMain.SendCommand(bus::GroupFile, bus::CmdCountColors);
    dialog->SetColors(count);
    if (!dialog->Execute())
        return;
    const int wanted = dialog->GetColors();
    if (wanted >= 2 && wanted != count)
        FMain.SendCommand(bus::GroupFile, bus::CmdReduceColors, wanted, 0);
}

void TMainMenu::ImageConvertToBWClick() {
    TFormColorNos* dialog = FMain.FormColorNos.get();
    if (!dialog)
        return;
    dialog->BlackWhiteMode = true;
    if (!dialog->Execute())
        return;
    const int method = dialog->GetBWMethod();
    if (method == bus::BlackWhiteThreshold || method == bus::BlackWhiteDither)
        FMain.SendCommand(bus::GroupFile, bus::CmdBlackWhite, method, 0);
}

// ============================================================================ Window

MDockToolBar* TMainMenu::ToolbarOf(const MMenuItem* Item) const {
    const TMainToolbars* tools = FMain.Tools();
    if (!tools)
        return nullptr;
    if (Item == WindowsTools)
        return tools->MToolBarTools;
    if (Item == WindowsView)
        return tools->MToolBarView;
    if (Item == WindowsBrushes)
        return tools->MToolBarBrushes;
    if (Item == WindowsColors)
        return tools->MToolBarColors;
    if (Item == WindowsDrawing)
        return tools->MToolBarDrawing;
    return nullptr;
}

void TMainMenu::ToggleToolbar(MDockToolBar* Toolbar) {
    if (Toolbar)
        Toolbar->setVisible(!Toolbar->Visible());
    mnuWindowsClick();
}

// ============================================================================ Tools

void TMainMenu::StartProgram(const QString& Path) {
    // A program that cannot be started is passed over without a message.
    if (!Path.isEmpty())
        QProcess::startDetached(Path, {});
}

namespace {

namespace fs = std::filesystem;

fs::path DiskPath(const QString& Folder) {
    fs::path p(QFile::encodeName(Folder).toStdString());
    // "a/b/" names the folder b.
    return p.has_filename() ? p : p.parent_path();
}

QString ShownPath(const fs::path& Path) {
    return CatalogueArg(QFile::decodeName(QByteArray::fromStdString(Path.string())));
}

QString SystemReason(const std::error_code& Error) {
    return CatalogueArg(QString::fromLocal8Bit(Error.message()));
}

// The names of a folder as they are on disk (bytes), so one that is not UTF-8 keeps its own name:
// with Kept false the names to copy (every name but the folders and the hidden ones; a pipe or a
// device is listed so that its copy fails with its error), with Kept true the folders and hidden
// names, which the fixed folder keeps through a load.
std::vector<std::string> FolderNames(const fs::path& Folder, bool Kept) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(Folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        std::string name = it->path().filename().string();
        const bool kept = name.starts_with('.') || it->is_directory(kind);
        if (kept == Kept)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Whether the file Name is one of the four files of a library entry of Entries (its base name and
// extension matched in any letter case).
bool OfAnEntry(const std::string& Name, const QStringList& Entries) {
    const QString name = QFile::decodeName(QByteArray::fromStdString(Name));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return false;
    const QString ext = name.mid(dot + 1);
    static const QStringList own{QStringLiteral("mod"), QStringLiteral("lst"), QStringLiteral("bmp"),
                                 QStringLiteral("pt2")};
    return own.contains(ext, Qt::CaseInsensitive) && Entries.contains(name.left(dot), Qt::CaseInsensitive);
}

// Moves the named entries from one folder to another; a move that fails takes back the ones before
// it and gives the name and the error.
bool MoveEntries(const fs::path& From, const fs::path& To, const std::vector<std::string>& Names,
                 std::string& Failed, std::error_code& Error) {
    for (std::size_t i = 0; i < Names.size(); ++i) {
        fs::rename(From / Names[i], To / Names[i], Error);
        if (Error) {
            Failed = Names[i];
            for (std::size_t j = i; j-- > 0;) {
                std::error_code back;
                fs::rename(To / Names[j], From / Names[j], back);
            }
            return false;
        }
    }
    return true;
}

// A folder left by a load that was stopped half way may hold the only copy of the designer's
// files: it is renamed to a free ".interrupted" name beside it, never deleted.
void SetAside(const fs::path& Folder) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(Folder, ec)))
        return;
    for (int n = 1; n < 1000; ++n) {
        fs::path aside = Folder;
        aside += ".interrupted-" + std::to_string(n);
        if (!fs::exists(fs::symlink_status(aside, ec))) {
            fs::rename(Folder, aside, ec);
            return;
        }
    }
}

// Puts the folder Staging in the place of Target in one step where the file system can exchange two
// names, else by two renames with the first taken back when the second fails. Afterwards Staging
// holds the old folder. False with the error when Target is as it was.
bool ExchangeFolders(const fs::path& Staging, const fs::path& Target, std::error_code& Error) {
    const int exchange = MFileSetSteps().Exchange(QByteArray(Staging.c_str()), QByteArray(Target.c_str()));
    if (exchange == 0)
        return true;
    if (!CannotExchange(exchange)) {
        Error = std::error_code(exchange, std::system_category());
        return false;
    }
    fs::path old = Staging;
    old += ".old";
    SetAside(old);
    fs::rename(Target, old, Error);
    if (Error)
        return false;
    fs::rename(Staging, Target, Error);
    if (Error) {
        std::error_code back;
        fs::rename(old, Target, back);
        return false;
    }
    fs::rename(old, Staging, Error);
    Error.clear();
    return true;
}

} // namespace

void TMainMenu::LoaddefaultfixedProgram1Click() {
    const fs::path from = DiskPath(DefaultFolder());
    const fs::path fixed = DiskPath(FixedFolder());
    const std::vector<std::string> names = FolderNames(from, false);
    if (names.empty()) {
        if (MessageBox)
            MessageBox->ShowCodeMessage(fixedmsg::Code, fixedmsg::NoDefaults, QString(), mbOK);
        return;
    }
    const auto replaced = ListLibraryEntries(FixedFolder()).size();
    if (!MessageBox || MessageBox->ShowCodeMessage(fixedmsg::Code, fixedmsg::Replace,
                                                   QString::number(replaced), mbYes | mbNo) != mbYes)
        return;

    // The copies go into a folder beside the fixed one, which takes its place only when every file
    // copied: a failure leaves the fixed programs as they were.
    const fs::path staging = fixed.parent_path() / ".Fixed.staging";
    std::error_code ec;
    // A load stopped between its two renames left the old fixed folder under its second name: it
    // comes back first. What else a stopped load left is set aside.
    fs::path oldFixed = staging;
    oldFixed += ".old";
    if (!fs::exists(fixed, ec) && fs::is_directory(oldFixed, ec))
        fs::rename(oldFixed, fixed, ec);
    SetAside(staging);
    SetAside(oldFixed);
    fs::create_directories(staging, ec);
    if (ec)
        RaiseM(fixedmsg::Code, fixedmsg::ReplaceFailed,
               ShownPath(fixed) + QLatin1Char(';') + SystemReason(ec));
    struct TStaging {
        fs::path Path;
        ~TStaging() {
            std::error_code ignored; // a leftover is removed by the next load
            fs::remove_all(Path, ignored);
        }
    } cleanup{staging};
    // Each copy is flushed to the disk before the folders change places: the old programs go after.
    for (const std::string& name : names) {
        int error =
            MFileSetSteps().Copy(QByteArray((from / name).c_str()), QByteArray((staging / name).c_str()));
        if (error == 0)
            continue;
        // The system's reason, as for the other failures here (the message names the file already);
        // a source that is no plain file (a pipe, a device) is not copied at all.
        std::error_code ignored;
        if (!fs::is_regular_file(from / name, ignored))
            error = ENOTSUP;
        RaiseM(fixedmsg::Code, fixedmsg::CopyFailed,
               ShownPath(from / name) + QLatin1Char(';') +
                   SystemReason(std::error_code(error, std::generic_category())));
    }
    if (!fs::exists(fixed, ec)) {
        fs::rename(staging, fixed, ec);
        if (ec)
            RaiseM(fixedmsg::Code, fixedmsg::ReplaceFailed,
                   ShownPath(fixed) + QLatin1Char(';') + SystemReason(ec));
        return;
    }
    fs::permissions(staging, fs::status(fixed, ec).permissions(), ec);
    // The folders and hidden names of the fixed folder stay in it, and so do the files that belong
    // to no program of it (no ".mod" of their name), unless a default program brings a file of
    // that name: a load replaces programs, not the designer's other files.
    std::vector<std::string> kept = FolderNames(fixed, true);
    const QStringList entries = ListLibraryEntries(FixedFolder());
    for (const std::string& name : FolderNames(fixed, false))
        if (!OfAnEntry(name, entries) && std::find(names.begin(), names.end(), name) == names.end())
            kept.push_back(name);
    std::string failed;
    if (!MoveEntries(fixed, staging, kept, failed, ec))
        RaiseM(fixedmsg::Code, fixedmsg::ReplaceFailed,
               ShownPath(fixed / failed) + QLatin1Char(';') + SystemReason(ec));
    if (!ExchangeFolders(staging, fixed, ec)) {
        std::error_code back;
        MoveEntries(staging, fixed, kept, failed, back);
        RaiseM(fixedmsg::Code, fixedmsg::ReplaceFailed,
               ShownPath(fixed) + QLatin1Char(';') + SystemReason(ec));
    }
    // The staging folder now holds the programs replaced; it goes with the guard.
}
