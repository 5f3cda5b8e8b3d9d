#include "app/UMain.h"

#include "app/Intro.h"
#include "app/ProjOptions.h"
#include "app/UFormTelCalls.h"
#include "app/UMainMenu.h"
#include "app/UOpenProj.h"
#include "app/UProjectFiles.h"

#include "editors/MRHints.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"
#include "ui/AlignLayout.h"
#include "ui/DockToolBar_m.h"
#include "ui/Docks.h"
#include "ui/FileUtil.h"
#include "ui/FriendlyStatusBar.h"
#include "ui/LanguagePack.h"
#include "ui/MainMenu_m.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"
#include "ui/Umessage.h"
#include "ui/label_m.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

TFormMain* FormMain = nullptr;

const std::array<TImageFilter, 12> SaveImageFilters = {{
    {"All files", "*.*"},
    {"BitMap image", "*.bmp"},
    {"Jpeg image", "*.jpg"},
    {"Pcx image", "*.pcx"},
    {"Tiff image", "*.tif"},
    {"Wmf image", "*.wmf"},
    {"Emf image", "*.emf"},
    {"Gif image", "*.gif"},
    {"Png image", "*.png"},
    {"Ico image", "*.ico"},
    {"Cur image", "*.cur"},
    {"Universal Program", "*.knf"},
}};

QStringList SaveImageFilterTexts() {
    QStringList list;
    for (const TImageFilter& f : SaveImageFilters)
        list << QStringLiteral("%1 (%2)").arg(QLatin1String(f.Name), QLatin1String(f.Pattern));
    return list;
}

namespace {

constexpr int TimerInterval = 500;

// Keeps every child window of the work area no larger than the area, and whole inside it when it is
// shown or resized, so its title buttons stay in view: a picture larger than the area is shown in a
// window that fits, and its board scrolls. The area shrinking shrinks the windows larger than it.
// Maximised and minimised windows are left to the area.
class TWorkAreaKeeper : public QObject {
public:
    // Made with the area, before any window: it goes with the area's viewport, before the windows.
    explicit TWorkAreaKeeper(QMdiArea* Area)
        : QObject(Area->viewport()), FArea(Area), FViewport(Area->viewport()) {
        FViewport->installEventFilter(this);
    }

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched == FViewport) {
            if (Event->type() == QEvent::ChildAdded)
                static_cast<QChildEvent*>(Event)->child()->installEventFilter(this);
            else if (Event->type() == QEvent::Resize)
                for (QMdiSubWindow* sub : FArea->subWindowList())
                    Fit(sub);
            return false;
        }
        auto* sub = qobject_cast<QMdiSubWindow*>(Watched);
        if (!sub)
            return false;
        if (Event->type() == QEvent::Show)
            Fit(sub);
        // A size past the area is not laid out: the window has been given its fitting size meanwhile.
        return Event->type() == QEvent::Resize && Fit(sub);
    }

private:
    // True when the window was moved or resized.
    bool Fit(QMdiSubWindow* Sub) {
        const QSize room = FViewport->size();
        if (FFitting || !FArea->isVisible() || !Sub->isVisible() || room.isEmpty() ||
            (Sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
            return false;
        const QRect was = Sub->geometry();
        const QSize size = was.size().boundedTo(room);
        const QPoint at(std::clamp(was.x(), 0, room.width() - size.width()),
                        std::clamp(was.y(), 0, room.height() - size.height()));
        if (size == was.size() && at == was.topLeft())
            return false;
        FFitting = true;
        Sub->setGeometry(QRect(at, size));
        FFitting = false;
        return true;
    }

    QMdiArea* FArea;
    QWidget* FViewport;
    bool FFitting = false;
};
constexpr int StatusBarHeight = 20;

bool IsPictureType(int Type) {
    return Type >= ftBmp && Type <= ftCur;
}

// Raises the reader's "Cannot open" error when Name is not a plain file that can be opened; a pipe
// or device is refused without waiting.
void CheckOpenable(const QString& Name) {
    ReadPlainFileHead(Name, 0);
}

// The place of a folder the station writes: under the application folder when that is writable,
// else under the per-user data folder.
QString WritableFolder(const QString& Name) {
    const QString app = AppFolder();
    const QFileInfo info(app);
    if (info.isDir() && info.isWritable())
        return ResolvePath(app, Name);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share/JXW777");
    return QDir(data).filePath(Name);
}

// The settings file the services name, else the user's own.
QString SettingsFileOf(const TMainServices& Services) {
    return Services.SettingsFile.isEmpty() ? DefaultSettingsFile() : Services.SettingsFile;
}

void ShowError(const std::exception& E) {
    TApplication::ShowException(E);
}

} // namespace

// ============================================================================ Construction

TFormMain::TFormMain(TMainServices Services, QWidget* Parent)
    : MForm(Parent), FServices(std::move(Services)), FDeskTop(std::make_unique<TDeskTopSaver>(*this)) {
    setObjectName(QStringLiteral("FormMain"));
    FormMain = this;
    BuildFrame();
}

TFormMain::~TFormMain() {
    FTimer.stop();
    try {
        if (FCreated)
            FormDestroy();
    } catch (const std::exception& e) {
        ShowError(e);
    }
    // The children go first, without being asked again: they may still talk to the frame.
    // A child may free others with it (a project its module windows): each is freed only while it
    // lives.
    std::vector<QPointer<QMdiSubWindow>> subs;
    for (QMdiSubWindow* sub : FClient->subWindowList())
        subs.emplace_back(sub);
    for (const QPointer<QMdiSubWindow>& sub : subs)
        delete sub.data();
    FChildren.clear();
    FTools.reset();
    if (FMessagesInstalled && MessageBox == FMessageBox.get())
        MessageBox = FOldMessages;
    FMessageBox.reset();
    if (FormMain == this)
        FormMain = nullptr;
}

void TFormMain::BuildFrame() {
    resize(1024, 720);
    new MLanguageAdapter(this);
    if (DMLanguagePack)
        SetLanguagePack(DMLanguagePack->OLanguagePack);
    SetResourceLanguage(LanguageEnglish);
    // A language chosen from this window's Language menu switches the whole station.
    MasterAdapter = true;
    M_Caption().SetCaptions({QStringLiteral("JXW777"), QStringLiteral("JXW777")});
    SetCaption(QStringLiteral("JXW777"));
    LanguageDetail().Font().ApplyTo(this);

    auto* layout = new AlignLayout(this);
    FMainMenu = new MMainMenu(this, this);
    FMainMenu->setObjectName(QStringLiteral("OMainMenu"));
    FMainMenu->setFixedHeight(fontMetrics().height() + 8);
    // Built in English: items from the left until the language turns Arabic.
    FMainMenu->SetArabic(false);
    SetAlign(FMainMenu, TAlign::alTop);
    layout->addWidget(FMainMenu);
    // The Language menu follows the station's own menus once the window is shown.
    FMenu = std::make_unique<TMainMenu>(*this, *FMainMenu);

    FStatusBar = new TFriendlyStatusBar(this);
    FStatusBar->setObjectName(QStringLiteral("FriendlyStatusBar1"));
    FStatusBar->setSizeGripEnabled(false);
    FStatusBar->setFixedHeight(StatusBarHeight);
    FStatusBar->AddPanel({QString(), 50, pbLowered, taLeftJustify});
    FStatusBar->AddPanel({QString(), 50, pbLowered, taLeftJustify});
    FStatusBar->AddPanel({QString(), 50, pbLowered, taLeftJustify});
    SetAlign(FStatusBar, TAlign::alBottom);
    layout->addWidget(FStatusBar);

    auto readOut = [this](const char* Name, const QString& Arabic, const QString& English, QRect At) {
        auto* l = new MLabel(this);
        l->setObjectName(QLatin1String(Name));
        l->M_Caption()->SetCaptions({QStringLiteral("0"), QStringLiteral("0")});
        l->SetCaption(QStringLiteral("0"));
        l->SetAlignment(taLeftJustify);
        // The read-out stays on its panels, which the bar draws from the left in either language.
        l->M_Align().SetEnable(asDisable);
        l->M_Hint().SetHints({Arabic, English});
        l->M_Hint().ApplyHint(true);
        l->SetShowHint(true);
        l->SetArabic(false);
        FStatusBar->PlaceControl(l, At);
        return l;
    };
    FLabelXValue = readOut("LabelXValue", QStringLiteral("رقم الإبرة في الرسم"),
                           QStringLiteral("Needle Nr in Draw"), QRect(4, 3, 44, 14));
    FLabelYValue = readOut("LabelYValue", QStringLiteral("رقم السطر في الرسم"),
                           QStringLiteral("Line Nr in Draw"), QRect(56, 3, 44, 14));
    // The caption of the read-out stays on the form, hidden behind the status bar's panels.
    FLabelXCaption = new MLabel(this, this);
    FLabelXCaption->setObjectName(QStringLiteral("LabelXCaption"));
    FLabelXCaption->M_Caption()->SetCaptions({QStringLiteral(" X: "), QStringLiteral(" X: ")});
    FLabelXCaption->SetCaption(QStringLiteral(" X: "));
    FLabelXCaption->hide();

    DockUp = new TDockArea(this, TDockPosition::dpTop);
    DockUp->setObjectName(QStringLiteral("DockUp"));
    DockBottom = new TDockArea(this, TDockPosition::dpBottom);
    DockBottom->setObjectName(QStringLiteral("DockBottom"));
    DockLeft = new TDockArea(this, TDockPosition::dpLeft);
    DockLeft->setObjectName(QStringLiteral("DockLeft"));
    DockRight = new TDockArea(this, TDockPosition::dpRight);
    DockRight->setObjectName(QStringLiteral("DockRight"));
    FClient = new QMdiArea(this);
    FClient->setObjectName(QStringLiteral("ClientArea"));
    // A window opened while another is maximised opens at its own size.
    FClient->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    new TWorkAreaKeeper(FClient);
    SetAlign(FClient, TAlign::alClient);
    for (QWidget* w :
         {static_cast<QWidget*>(DockUp), static_cast<QWidget*>(DockBottom), static_cast<QWidget*>(DockLeft),
          static_cast<QWidget*>(DockRight), static_cast<QWidget*>(FClient)})
        layout->addWidget(w);
    DockUp->SetBoundLines(blTop | blBottom);

    setAcceptDrops(true);
    FTimer.setInterval(TimerInterval);
    connect(&FTimer, &QTimer::timeout, this, [this] { Timer1Timer(); });
    FinishLoading();
}

void TFormMain::FormCreate() {
    // Step 1: the intro, freed when the sequence ends, however it ends.
    std::unique_ptr<QWidget> intro;
    if (FServices.MakeIntro) {
        intro = FServices.MakeIntro(this);
        if (intro) {
            if (const QScreen* screen = intro->screen())
                intro->move(screen->geometry().topLeft() +
                            CentredOrigin(screen->geometry().size(), intro->size()));
            intro->show();
            QCoreApplication::processEvents();
        }
    }
    // Step 2.
    FTimerBusy = false;
    FShownOnce = false;
    // Step 3: the message box every window shows its numbered messages through; it and the modal
    // dialogs stand over the main window when no other window is active.
    MModalForm::MainWindow = this;
    if (!FServices.Messages) {
        FMessageBox = std::make_unique<TMessageBox>(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
        FMessageBox->hide();
        FMessageBox->MainWindow = this;
        FOldMessages = MessageBox;
        MessageBox = FMessageBox.get();
        FMessagesInstalled = true;
    } else {
        MessageBox = FServices.Messages;
    }
    // Step 4.
    FSettings = TMainSettings();
    FDeskTop->ResetTicks();
    MachineIndex = -1;
    GaugeIndex = -1;
    // Step 5.
    ReadSettings();
    // Steps 6 to 8: the frame takes drops (BuildFrame); the drop-down commands reach the toolbars
    // through the drop-down list.
    FToolbarsHidden = false;
    // Step 9.
    FChildren.clear();
    FDetachedWindow = nullptr;
    FDetached = nullptr;
    FNextWindow = 1;
    FCurrentWindow = 0;
    // Steps 10, 11 and 14: the tool state with its defaults, the toolbars and their drop-down menus.
    FTools = std::make_unique<TMainToolbars>(this, *this, DockUp, DockRight);
    FTools->LoadColorsFromDef();
    // Step 12: the hidden machine-file dialog and picture dialogs (the picture-mode resize has no
    // link).
    FormOpenProj = std::make_unique<TFormOpenProj>(this);
    FormColorNos = std::make_unique<TFormColorNos>(this);
    OFormNew = std::make_unique<TOFormNew>(this);
    FormImageResize = std::make_unique<TFormImageResize>(true, nullptr, this);
    // Step 13.
    MakeFolders();
    // Step 15.
    InstallHintWindow(1, 10, 1, 1);
    SetHintDelays(50, 60000);
    // Step 16: the selection dialogs, linked to the main window.
    OFormPastRepeat = std::make_unique<TOFormPastRepeat>(this);
    FormRotFree = std::make_unique<TFormRotFree>(this, this);
    FormSelectionResize = std::make_unique<TFormImageResize>(false, this, this);
    FCreated = true;
    if (FServices.RunTimer)
        FTimer.start();
}

void TFormMain::MakeFolders() {
    FDeskTop->SetFolder(WritableFolder(QStringLiteral("DeskTop")));
    FCacheFolder = WritableFolder(QStringLiteral("Cache"));
    // A folder that cannot be made is passed over: the autosave then finds nowhere to write.
    for (const QString& f : {FDeskTop->Folder(), FCacheFolder})
        QDir().mkpath(f);
    FDeskTop->Lock();
}

// ============================================================================ Settings

void TFormMain::ReadSettings() {
    const QString file = SettingsFileOf(FServices);
    int languages = 2;
    if (DMLanguagePack) {
        QStringList names;
        if (DMLanguagePack->OLanguagePack->GetLanguageNames(names) && !names.isEmpty())
            languages = int(names.size());
    }
    // A settings file that cannot be opened gives the table's defaults.
    if (SettingsFileUsable(file)) {
        QSettings store(file, QSettings::IniFormat);
        FSettings = ReadMainSettings(store, languages);
    } else {
        FSettings = TMainSettings();
    }
    FSettings.ApplyDefaultPaths(AppFolder());
    ListsAutoValidate = FSettings.ListsAutoValidate;
    ListBoxShowHint = FSettings.ListBoxShowHint;
    MachineIndex = FSettings.MachineIndex;
    GaugeIndex = FSettings.GaugeIndex;
    FDeskTop->SetTickLimit(FSettings.TickLimit());
}

void TFormMain::WriteSettings() {
    if (DMLanguagePack)
        FSettings.LangID = DMLanguagePack->OLanguagePack->LanguageNumber();
    FSettings.ListsAutoValidate = ListsAutoValidate;
    FSettings.ListBoxShowHint = ListBoxShowHint;
    FSettings.MachineIndex = MachineIndex;
    FSettings.GaugeIndex = GaugeIndex;
    const QString file = SettingsFileOf(FServices);
    if (!SettingsFileUsable(file))
        return;
    QSettings store(file, QSettings::IniFormat);
    WriteMainSettings(store, FSettings);
}

void TFormMain::SettingsChanged() {
    FSettings.DeskTopMinutes = ClampDeskTopMinutes(FSettings.DeskTopMinutes);
    FDeskTop->SetTickLimit(FSettings.TickLimit());
    ListsAutoValidate = FSettings.ListsAutoValidate;
    ListBoxShowHint = FSettings.ListBoxShowHint;
}

bool TFormMain::toolsOptionsClick() {
    FSettings.ListsAutoValidate = ListsAutoValidate;
    FSettings.ListBoxShowHint = ListBoxShowHint;
    if (!ExecuteProjOptions(FSettings))
        return false;
    SettingsChanged();
    return true;
}

void TFormMain::FormDestroy() {
    WriteSettings();
}

// ============================================================================ Showing and closing

void TFormMain::showEvent(QShowEvent* Event) {
    MForm::showEvent(Event);
    // Only a show the program asks for, not one the window system gives back after minimising.
    if (!Event->spontaneous())
        FormShow();
}

void TFormMain::FormShow() {
    if (!FCreated)
        return;
    try {
        if (DMLanguagePack)
            DMLanguagePack->OLanguagePack->SetLanguageNumber(FSettings.LangID);
    } catch (const std::exception& e) {
        // A window that cannot take the language says why; the station goes on as it shows.
        ShowError(e);
    }
    if (FShownOnce)
        return;
    FShownOnce = true;
    RestoreDeskTop();
    if (!FServices.Arguments.isEmpty()) {
        const QString name = QFileInfo(FServices.Arguments.first()).absoluteFilePath();
        try {
            OpenAnyFile(name);
        } catch (const std::exception& e) {
            ShowError(e);
        }
    }
}

void TFormMain::closeEvent(QCloseEvent* Event) {
    bool closes = false;
    try {
        closes = FormClose();
    } catch (const EAbort&) {
        closes = false;
    } catch (const std::exception& e) {
        ShowError(e);
        closes = false;
    }
    if (closes)
        Event->accept();
    else
        Event->ignore();
}

bool TFormMain::FormClose() {
    if (!CloseAll())
        return false;
    // Only once every child has really gone: a closing cancelled anywhere keeps the copies.
    for (const TChild& c : FChildren)
        if (c.Window)
            return false;
    ClearDeskTop();
    return true;
}

// ============================================================================ Files

void TFormMain::OpenAnyFile(const QString& FileName) {
    const int type = FileTypeOfName(FileName);
    if (IsPictureType(type)) {
        // A picture with a machine file of its base name beside it is a project.
        const QString folder = QFileInfo(FileName).path();
        const QString list = ResolvePath(folder, BaseNameOf(FileName) + QStringLiteral(".LST"));
        if (IsPlainFile(list))
            OpenProjectFile(FileName);
        else
            OpenImageFile(FileName, type);
    } else if (type == ftJxw || type == ftLst) {
        OpenProjectFile(FileName);
    }
}

namespace {

// The project data file a name of a project stands for, as a canonical path (its folder's, for a
// file not there).
QString CanonicalProjectFile(const QString& Name) {
    const QFileInfo header(ProjectNamesOf(Name).HeaderFile);
    if (header.fileName().isEmpty())
        return QString();
    const QString canonical = header.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(header.absolutePath()).canonicalFilePath();
    return QDir(folder.isEmpty() ? header.absolutePath() : folder).filePath(header.fileName());
}

} // namespace

MBusProject* TFormMain::FindOpenProject(const QString& FileName) const {
    const QString wanted = CanonicalProjectFile(FileName);
    if (wanted.isEmpty())
        return nullptr;
    for (MBusProject* p : Projects()) {
        const QString name = p->GetProjectName();
        if (name != NoName && CanonicalProjectFile(name) == wanted)
            return p;
    }
    return nullptr;
}

void TFormMain::BringProjectForward(MBusProject& Project) {
    QWidget* w = Project.BusWidget();
    if (QMdiSubWindow* sub = SubWindowOf(w)) {
        if (sub->isMinimized())
            sub->showNormal();
        FClient->setActiveSubWindow(sub);
    }
    FCurrentProjectWindow = w;
    FCurrentProject = &Project;
    PrjContainerNotify(bus::NotifyGroup, bus::NotifyActivated, Project.WindowNumber);
}

MBusProject* TFormMain::OpenProjectFile(const QString& FileName) {
    CheckOpenable(FileName);
    if (MBusProject* open = FindOpenProject(FileName)) {
        BringProjectForward(*open);
        return open;
    }
    MBusProject* p = NewPrjContainer();
    QPointer<QWidget> w = p->BusWidget();
    try {
        p->OpenProject(FileName);
    } catch (...) {
        Discard(w);
        throw;
    }
    return p;
}

MBusDrawing* TFormMain::OpenImageFile(const QString& FileName, int FileType) {
    CheckOpenable(FileName);
    MBusDrawing* d = NewKnitWindow(true, false);
    QPointer<QWidget> w = d->BusWidget();
    try {
        d->LoadPicture(FileName, FileType);
        d->RefreshView();
    } catch (...) {
        Discard(w);
        throw;
    }
    return d;
}

void TFormMain::OpenDroppedFiles(const QStringList& FileNames) {
    for (const QString& name : FileNames) {
        try {
            OpenAnyFile(name);
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            ShowError(e);
        }
    }
}

MBusProject* TFormMain::FileNewProjectClick() {
    MBusProject* p = NewPrjContainer();
    QPointer<QWidget> w = p->BusWidget();
    try {
        p->NewProject();
    } catch (...) {
        Discard(w);
        throw;
    }
    // A cancelled dialog closed the new container again.
    return w && FindPrjContainer(p->WindowNumber) == p ? p : nullptr;
}

MBusProject* TFormMain::FileOpenProjectClick() {
    if (!FormOpenProj)
        return nullptr;
    if (!FSettings.OpenProjectPath.isEmpty()) {
        try {
            FormOpenProj->SetDirectory(FSettings.OpenProjectPath);
        } catch (const std::exception&) {
        }
    }
    if (!FormOpenProj->Execute())
        return nullptr;
    FSettings.OpenProjectPath = QFileInfo(FormOpenProj->FileName).absolutePath();
    return OpenProjectFile(FormOpenProj->FileName);
}

void TFormMain::FileTelephoneTransferClick() {
    QStringList received;
    {
        TFormTransfer form(this);
        form.ReceiveFolder = WritableFolder(QString());
        QDir().mkpath(form.ReceiveFolder);
        form.OpenDialog1.InitialDir = FSettings.OpenProjectPath;
        form.ShowModal();
        received = form.ReceivedFiles;
    }
    for (const QString& file : received) {
        try {
            OpenProjectFile(file);
        } catch (const std::exception& e) {
            TApplication::ShowException(e);
        }
    }
}

void TFormMain::dragEnterEvent(QDragEnterEvent* Event) {
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TFormMain::dragMoveEvent(QDragMoveEvent* Event) {
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* Event) {
    if (!Event->mimeData()->hasUrls())
        return;
    Event->acceptProposedAction();
    if (FServices.Beep)
        FServices.Beep();
    else
        QApplication::beep();
    QStringList names;
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    OpenDroppedFiles(names);
}

// ============================================================================ Registry

void TFormMain::Register(QWidget* Window, MBusDrawing* Drawing, MBusProject* Project) {
    FChildren.push_back({Window, Drawing, Project});
    if (!SubWindowOf(Window)) {
        QMdiSubWindow* sub = FClient->addSubWindow(Window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
    }
}

void TFormMain::Unregister(const QWidget* Window) {
    std::erase_if(FChildren, [Window](const TChild& c) { return !c.Window || c.Window == Window; });
    FChildren.shrink_to_fit();
}

void TFormMain::Discard(QWidget* Window) {
    if (!Window)
        return;
    Unregister(Window);
    if (QMdiSubWindow* sub = SubWindowOf(Window))
        delete sub;
    else
        delete Window;
}

QMdiSubWindow* TFormMain::SubWindowOf(const QWidget* Window) const {
    for (QWidget* p = Window ? Window->parentWidget() : nullptr; p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            return sub;
    return nullptr;
}

bool TFormMain::CloseChild(QWidget* Window) {
    if (!Window)
        return true;
    if (QMdiSubWindow* sub = SubWindowOf(Window))
        return sub->close();
    return Window->close();
}

MBusDrawing* TFormMain::NewKnitWindow(bool StandAlone, bool AutoFit) {
    MBusFactory* factory = BusFactory();
    if (!factory)
        throw EInvalidOperation(QStringLiteral("No drawing windows can be created"));
    MBusDrawing* d = factory->CreateDrawing(*this);
    d->StandAlone = StandAlone;
    d->AutoFit = AutoFit;
    ApplyToolsToWindow(*d);
    d->WindowNumber = FNextWindow;
    Register(d->BusWidget(), d, nullptr);
    SetCurrentWindow(FNextWindow);
    ++FNextWindow;
    FTargetWindow = d->BusWidget();
    FTarget = d;
    return d;
}

MBusProject* TFormMain::NewPrjContainer() {
    MBusFactory* factory = BusFactory();
    if (!factory)
        throw EInvalidOperation(QStringLiteral("No project windows can be created"));
    MBusProject* p = factory->CreateProject(*this);
    p->WindowNumber = FNextWindow;
    Register(p->BusWidget(), nullptr, p);
    ++FNextWindow;
    FCurrentProjectWindow = p->BusWidget();
    FCurrentProject = p;
    return p;
}

void TFormMain::ApplyToolsToWindow(MBusDrawing& Window) {
    if (FTools)
        FTools->ApplyToolsToWindow(Window.Tools);
    else
        Window.Tools = DrawingToolState();
    Window.SetTool(Window.Tools.Tool);
}

MBusDrawing* TFormMain::TargetDrawing() const {
    return FTargetWindow ? FTarget : nullptr;
}

MBusProject* TFormMain::CurrentProject() const {
    return FCurrentProjectWindow ? FCurrentProject : nullptr;
}

MBusProject* TFormMain::DetachedContainer() const {
    return FDetachedWindow ? FDetached : nullptr;
}

std::vector<MBusDrawing*> TFormMain::Drawings() const {
    std::vector<MBusDrawing*> list;
    for (const TChild& c : FChildren)
        if (c.Window && c.Drawing)
            list.push_back(c.Drawing);
    return list;
}

std::vector<MBusProject*> TFormMain::Projects() const {
    std::vector<MBusProject*> list;
    for (const TChild& c : FChildren)
        if (c.Window && c.Project)
            list.push_back(c.Project);
    return list;
}

MBusDrawing* TFormMain::FindKnitWindow(int Id) const {
    for (const TChild& c : FChildren)
        if (c.Window && c.Drawing && c.Drawing->WindowNumber == Id)
            return c.Drawing;
    return nullptr;
}

MBusProject* TFormMain::FindPrjContainer(int Id) const {
    for (const TChild& c : FChildren)
        if (c.Window && c.Project && c.Project->WindowNumber == Id)
            return c.Project;
    return nullptr;
}

MBusProject* TFormMain::FindPrjOfKnitWindow(const MBusDrawing* Window) const {
    if (!Window)
        return nullptr;
    for (const TChild& c : FChildren) {
        if (!c.Window || !c.Project)
            continue;
        const MBusDrawing* d = c.Project->Drawing();
        if (d && d->WindowNumber == Window->WindowNumber)
            return c.Project;
    }
    return nullptr;
}

MBusProject* TFormMain::ProjectOfWindow(int Id) const {
    if (MBusProject* p = FindPrjContainer(Id))
        return p;
    const MBusDrawing* d = FindKnitWindow(Id);
    return d && !d->StandAlone ? FindPrjOfKnitWindow(d) : nullptr;
}

void TFormMain::SetCurrentWindow(int Id) {
    if (Id == FCurrentWindow)
        return;
    FCurrentWindow = Id;
    MBusDrawing* d = FindKnitWindow(Id);
    FTargetWindow = d ? d->BusWidget() : nullptr;
    FTarget = d;
    if (d && FTools) {
        FTools->SetUndoEnabled(d->UndoAvailable);
        if (FTools->BtnPaste)
            FTools->BtnPaste->SetDown(false);
    }
}

void TFormMain::KnitWindowClosing(int Id) {
    MBusDrawing* d = FindKnitWindow(Id);
    if (!d)
        return;
    const MBusProject* project = FindPrjOfKnitWindow(d);
    // A project that is closing has left the registry already: it is the detached container.
    if (const MBusProject* detached = DetachedContainer(); !project && detached && detached->Drawing() == d)
        project = detached;
    // A project that asked its own save question while closing has answered for its drawing.
    const bool answered = project && project->ClosingAfterItsQuestion();
    if (d->Changed && !answered) {
        const int answer =
            MessageBox ? MessageBox->ShowCodeMessage(11, 101, QString(), mbYes | mbNo | mbCancel) : mbClosed;
        if (answer == mbYes) {
            FTargetWindow = d->BusWidget();
            FTarget = d;
            bool saved = false;
            try {
                saved = SavePicture(*d, false);
            } catch (const EAbort&) {
                throw;
            } catch (const std::exception& e) {
                // The picture is not lost: the error shows and the window stays open.
                ShowError(e);
            }
            if (!saved)
                Abort();
        } else if (answer != mbNo) {
            // Cancel, or the box closed without a button.
            Abort();
        }
    }
    Unregister(d->BusWidget());
}

void TFormMain::PrjContainerClosing(int Id) {
    MBusProject* p = FindPrjContainer(Id);
    if (!p)
        return;
    FDetachedWindow = p->BusWidget();
    FDetached = p;
    Unregister(p->BusWidget());
}

void TFormMain::RestoreDetachedContainer() {
    MBusProject* p = DetachedContainer();
    if (!p)
        return;
    FChildren.push_back({p->BusWidget(), nullptr, p});
    FDetachedWindow = nullptr;
    FDetached = nullptr;
}

bool TFormMain::CloseAll() {
    if (SendPrjCommand(bus::GroupFile, bus::CmdCloseProjects) == CloseCancelled)
        return false;
    return SendCommand(bus::GroupFile, bus::CmdCloseImages) != CloseCancelled;
}

// ============================================================================ The command bus

namespace {

bool GoesToCurrentDrawing(int Group, int Command) {
    switch (Command) {
    case bus::CmdReduceColors:
    case bus::CmdMachineColors:
    case bus::CmdGrayScale:
    case bus::CmdBlackWhite:
    case bus::CmdResize:
    case bus::CmdSaveImage:
    case bus::CmdSaveImageAs:
    case bus::CmdCountColors:
    case bus::CmdExportSibling:
    case bus::CmdImportSibling2:
    case bus::CmdImportSibling4:
        return true;
    default:
        break;
    }
    return Group == bus::GroupSelection || (Group == bus::GroupView && Command != bus::CmdMagnifier) ||
           (Group == bus::GroupStyle && Command == bus::CmdPatternSample);
}

} // namespace

int TFormMain::SendCommand(int Group, int Command, int Param, int Param2) {
    int answer = bus::NoAnswer;
    FTargetWindow = nullptr;
    FTarget = nullptr;
    if (GoesToCurrentDrawing(Group, Command)) {
        if (MBusDrawing* d = FindKnitWindow(FCurrentWindow)) {
            FTargetWindow = d->BusWidget();
            FTarget = d;
            answer = ExecCommand(Group, Command, Param, Param2);
        }
        return answer;
    }
    // Every drawing, newest first; a closing stops at the first that refuses. The registry is copied
    // first, as a command may close windows; one closed meanwhile is passed over.
    const std::vector<TChild> children = FChildren;
    bool any = false;
    for (auto c = children.rbegin(); c != children.rend(); ++c) {
        if (!c->Window || !c->Drawing)
            continue;
        any = true;
        FTargetWindow = c->Window;
        FTarget = c->Drawing;
        answer = ExecCommand(Group, Command, Param, Param2);
        if (answer == CloseCancelled)
            return answer;
    }
    if (!any) {
        FTargetWindow = nullptr;
        FTarget = nullptr;
        ExecCommand(Group, Command, Param, Param2);
    }
    return answer;
}

int TFormMain::ExecCommand(int Group, int Command, int Param, int Param2) {
    MBusDrawing* t = TargetDrawing();
    DrawingToolState none;
    DrawingToolState& state = FTools ? FTools->ToolState() : none;
    int answer = t ? 0 : bus::NoAnswer;
    switch (Group) {
    case bus::GroupSelection:
        if (!t)
            break;
        if (Command == bus::CmdRect) {
            if (Param == bus::RectStore) {
                FStoredRect = t->WorkRect();
            } else if (Param >= bus::RectStretchFirst && Param <= bus::RectStretchLast) {
                t->StretchRect = FStoredRect;
                t->SelectionOperation(Param, 0);
            }
        } else if (Command == bus::CmdPaste) {
            t->SelectionOperation(Command, 0);
            t->PasteCountX = Param;
            t->PasteCountY = Param2;
            t->PasteDiagonal = Param2 == -1;
        } else {
            t->SelectionOperation(Command, Param);
        }
        break;
    case bus::GroupView:
        switch (Command) {
        case bus::CmdMagnifier:
            state.ToolFamily = bus::FamilyMagnifier;
            state.Tool = bus::ToolMagnifier;
            if (t) {
                t->Tools.ToolFamily = bus::FamilyMagnifier;
                t->Tools.Tool = bus::ToolMagnifier;
                t->SetTool(bus::ToolMagnifier);
            }
            break;
        case bus::CmdGrid:
            if (t) {
                const QSize client = MainClientSize();
                t->MaxWidth = client.width() - ReservedClientWidth();
                t->MaxHeight = client.height() - ReservedClientHeight();
                t->Grid = !t->Grid;
                // The drawing shows or hides its grid at once.
                t->Repaint();
            }
            break;
        case bus::CmdGridColor:
            if (t) {
                t->GridColor = TColor(Param);
                t->Repaint();
            }
            break;
        case bus::CmdHome:
            if (t)
                t->HomePosition();
            break;
        default:
            break;
        }
        break;
    case bus::GroupStyle:
        switch (Command) {
        case bus::CmdPenWidth:
            state.PenWidth = Param;
            if (t)
                t->Tools.PenWidth = Param;
            break;
        case bus::CmdPenStyle:
            state.PenStyle = Param;
            if (t)
                t->Tools.PenStyle = Param;
            break;
        case bus::CmdBrushStyle:
            state.BrushStyle = Param;
            if (t)
                t->Tools.BrushStyle = Param;
            break;
        case bus::CmdPatternSample:
            if (t && FTools)
                answer = t->CopySelectionToPattern(FTools->PatternBitmap());
            break;
        default:
            break;
        }
        break;
    case bus::GroupColor:
        if (Command == bus::CmdPenColor) {
            state.PenColor = TColor(Param);
            if (t)
                t->Tools.PenColor = TColor(Param);
        } else if (Command == bus::CmdBrushColor) {
            state.BrushColor = TColor(Param);
            if (t)
                t->Tools.BrushColor = TColor(Param);
        }
        break;
    case bus::GroupTool:
        if (t) {
            t->Tools.ToolFamily = Command;
            t->Tools.Tool = Param;
            t->SetTool(Param);
        }
        state.ToolFamily = Command;
        state.Tool = Param;
        break;
    case bus::GroupFile:
        if (!t)
            break;
        switch (Command) {
        case bus::CmdReduceColors:
            t->ReduceColors(Param);
            t->Repaint();
            break;
        case bus::CmdMachineColors: {
            MBusProject* p = FindPrjOfKnitWindow(t);
            FCurrentProjectWindow = p ? p->BusWidget() : nullptr;
            FCurrentProject = p;
            if (p)
                p->ApplyMachineColors();
            break;
        }
        case bus::CmdGrayScale:
            t->GrayScale();
            t->Repaint();
            break;
        case bus::CmdBlackWhite:
            t->BlackWhite(Param);
            t->Repaint();
            break;
        case bus::CmdResize:
            t->ResizePicture();
            t->RefreshView();
            break;
        case bus::CmdSaveImage:
        case bus::CmdSaveAllImages:
            SavePicture(*t, false);
            break;
        case bus::CmdSaveImageAs:
            SavePicture(*t, true);
            break;
        case bus::CmdCountColors:
            answer = t->CountColors();
            break;
        case bus::CmdCloseImages:
            if (!CloseChild(t->BusWidget()))
                answer = CloseCancelled;
            break;
        case bus::CmdExportSibling:
            if (!FSettings.Jxw666Path.isEmpty()) {
                const QString folder = QFileInfo(FSettings.Jxw666Path).path();
                t->WriteExchangePicture(ResolvePath(folder, QStringLiteral("Ver_2_x\\IMPFROM7.bmp")), true);
                t->WriteExchangePicture(ResolvePath(folder, QStringLiteral("Ver_4_x\\IMPFROM7.bmp")), false);
            }
            break;
        case bus::CmdImportSibling2:
        case bus::CmdImportSibling4:
            if (!FSettings.Jxw666Path.isEmpty()) {
                const QString folder = QFileInfo(FSettings.Jxw666Path).path();
                t->ReadExchangePicture(ResolvePath(folder, Command == bus::CmdImportSibling2
                                                               ? QStringLiteral("Ver_2_x\\Expto7.bmp")
                                                               : QStringLiteral("Ver_4_x\\Expto7.bmp")));
            }
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return answer;
}

int TFormMain::SendPrjCommand(int Group, int Command, int Param, int Param2) {
    FCurrentProjectWindow = nullptr;
    FCurrentProject = nullptr;
    int answer = 0;
    if (Command == bus::CmdSaveProject || Command == bus::CmdSaveProjectAs) {
        if (MBusProject* p = ProjectOfWindow(FCurrentWindow)) {
            FCurrentProjectWindow = p->BusWidget();
            FCurrentProject = p;
            answer = ExecPrjCommand(Group, Command, Param, Param2);
        }
        return answer;
    }
    // Every project, newest first, as SendCommand walks the drawings.
    const std::vector<TChild> children = FChildren;
    for (auto c = children.rbegin(); c != children.rend(); ++c) {
        if (!c->Window || !c->Project)
            continue;
        FCurrentProjectWindow = c->Window;
        FCurrentProject = c->Project;
        answer = ExecPrjCommand(Group, Command, Param, Param2);
        if (answer == CloseCancelled)
            return answer;
    }
    return answer;
}

int TFormMain::ExecPrjCommand(int Group, int Command, int Param, int Param2) {
    Q_UNUSED(Param);
    Q_UNUSED(Param2);
    MBusProject* p = CurrentProject();
    if (!p || Group != bus::GroupFile)
        return bus::NoAnswer;
    switch (Command) {
    case bus::CmdSaveProject:
        if (p->GetProjectName() == NoName)
            p->SaveProjectAs();
        else
            p->SaveProject(p->GetProjectName());
        break;
    case bus::CmdSaveProjectAs:
        p->SaveProjectAs();
        break;
    case bus::CmdSaveAllProjects:
        if (p->IsModified())
            return ExecPrjCommand(Group, bus::CmdSaveProject);
        break;
    case bus::CmdCloseProjects:
        if (!CloseChild(p->BusWidget()))
            return CloseCancelled;
        break;
    default:
        break;
    }
    return bus::NoAnswer;
}

int TFormMain::KnitWindowNotify(int Group, int Code, int Param, int Param2) {
    if (Group != bus::NotifyGroup)
        return 0;
    switch (Code) {
    case bus::NotifyPenPicked:
        if (FTools)
            FTools->SetForeClr(TColor(Param));
        break;
    case bus::NotifyBrushPicked:
        if (FTools)
            FTools->SetBackClr(TColor(Param));
        break;
    case bus::NotifyMouseXY:
        if (FTools)
            FTools->SetXY(Param, Param2);
        break;
    case bus::NotifyUndoSaved:
    case bus::NotifyUndoDropped:
        if (FTools)
            FTools->SetUndoEnabled(Code == bus::NotifyUndoSaved);
        break;
    case bus::NotifyActivated:
        SetCurrentWindow(Param);
        break;
    case bus::NotifyClosing:
        KnitWindowClosing(Param);
        break;
    case bus::NotifyTextPlaced:
        if (FTools) {
            if (FTools->BtnSelect)
                FTools->BtnSelect->SetDown(true);
            FTools->BtnSelectClick();
        }
        break;
    default:
        break;
    }
    return 0;
}

int TFormMain::PrjContainerNotify(int Group, int Code, int Param, int Param2) {
    Q_UNUSED(Param2);
    if (Group != bus::NotifyGroup)
        return 0;
    if (Code == bus::NotifyActivated)
        FCurrentWindow = Param;
    else if (Code == bus::NotifyClosing)
        PrjContainerClosing(Param);
    else
        return 0;
    MBusDrawing* d = FindKnitWindow(FCurrentWindow);
    FTargetWindow = d ? d->BusWidget() : nullptr;
    FTarget = d;
    return 0;
}

// ============================================================================ Pictures

bool TFormMain::SavePicture(MBusDrawing& Drawing, bool AsNew) {
    if (AsNew || Drawing.FileName == NoName)
        return SaveImageAs(Drawing);
    if (!Drawing.Changed)
        return true;
    QString name = Drawing.FileName;
    int type = FileTypeOfName(name);
    if (!IsPictureType(type)) {
        type = ftBmp;
        ChangeFileType(name, ftBmp);
        Drawing.FileName = name;
    }
    Drawing.WritePicture(name, type);
    return true;
}

bool TFormMain::SaveImageAs(MBusDrawing& Drawing) {
    TSaveImageRequest request;
    request.Title = QStringLiteral("Save Image As");
    request.Filters = SaveImageFilterTexts();
    request.FilterIndex = 0;
    request.InitialFolder = FSettings.SaveImagePath;
    QString name;
    int index = 0;
    if (!FServices.SaveImageDialog || !FServices.SaveImageDialog(request, name, index) || name.isEmpty())
        return false;
    FSettings.SaveImagePath = QFileInfo(name).absolutePath();
    // The chosen filter gives the name its extension: the filter's index is its file type.
    if (index > 0 && index < int(SaveImageFilters.size()))
        ChangeFileType(name, index);
    int type = FileTypeOfName(name);
    if (!IsPictureType(type)) {
        type = ftBmp;
        ChangeFileType(name, ftBmp);
    }
    if (type == ftBmp) {
        type = AskFileType();
        if (type == 0)
            return false;
    }
    Drawing.FileName = name;
    Drawing.WritePicture(name, type);
    return true;
}

bool TFormMain::ExecuteRepeatPaste(int& X, int& Y) {
    if (!OFormPastRepeat || !OFormPastRepeat->Execute())
        return false;
    OFormPastRepeat->GetRepeat(X, Y);
    return true;
}

void TFormMain::ExecuteFreeRotation() {
    if (FormRotFree && FormRotFree->BeginRotation())
        FormRotFree->Execute();
}

void TFormMain::ExecuteSelectionResize() {
    if (FormSelectionResize)
        FormSelectionResize->Execute();
}

int TFormMain::AskFileType() {
    if (!FServices.ImageTypeQuestion)
        return 1;
    const int answer = FServices.ImageTypeQuestion();
    return answer == 1 || answer == 20 ? answer : 0;
}

// ============================================================================ The frame

QSize TFormMain::MainClientSize() const {
    return QSize(width(), std::max(0, height() - FMainMenu->height() - FStatusBar->height()));
}

int TFormMain::ReservedClientWidth() const {
    return MainClientSize().width() - FClient->viewport()->width();
}

int TFormMain::ReservedClientHeight() const {
    return MainClientSize().height() - FClient->viewport()->height();
}

int TFormMain::SendBusMessage(int Group, int Command, int Param, int Param2) {
    return SendCommand(Group, Command, Param, Param2);
}

bool TFormMain::ExecuteColorDialog(TColor& Color) {
    if (FServices.ColorDialog)
        return FServices.ColorDialog(Color);
    return ExecuteOColorDialog(this, Color);
}

QLabel* TFormMain::LabelXValue() {
    return FLabelXValue;
}

QLabel* TFormMain::LabelYValue() {
    return FLabelYValue;
}

// ============================================================================ Desktop autosave

void TFormMain::ShowDeskTopNote(const QString& Text) {
    // The panel after the needle and line read-out.
    FStatusBar->SetPanelText(2, Text);
}

void TFormMain::DOAfterLanguageChange(int aNewLanguage) {
    MForm::DOAfterLanguageChange(aNewLanguage);
    if (FStatusBar && FDeskTop)
        FStatusBar->SetPanelText(2, FDeskTop->NoteText());
}

void TFormMain::Timer1Timer() {
    if (FTimerBusy)
        return;
    FTimerBusy = true;
    struct Clear {
        bool& Flag;
        ~Clear() { Flag = false; }
    } clear{FTimerBusy};
    if (!isEnabled() || QApplication::activeModalWidget() || isMinimized())
        return;
    FDeskTop->Tick();
    if (FSettings.AutoHideToolBars)
        HideOrShowToolbars();
}

bool TFormMain::DrawingIsActive() const {
    const QMdiSubWindow* current = FClient->currentSubWindow();
    if (!current)
        return false;
    for (const TChild& c : FChildren)
        if (c.Window && c.Drawing && SubWindowOf(c.Window) == current)
            return true;
    return false;
}

void TFormMain::HideOrShowToolbars() {
    if (!FTools)
        return;
    const auto bars = FTools->Toolbars();
    const bool active = DrawingIsActive();
    if (active && FToolbarsHidden) {
        for (std::size_t i = 0; i < bars.size(); ++i)
            if (bars[i])
                bars[i]->setVisible(FSavedToolbarVisible[i]);
        FToolbarsHidden = false;
    } else if (!active && !FToolbarsHidden) {
        for (std::size_t i = 0; i < bars.size(); ++i) {
            FSavedToolbarVisible[i] = bars[i] && bars[i]->Visible();
            if (bars[i])
                bars[i]->setVisible(false);
        }
        FToolbarsHidden = true;
    }
}

// ============================================================================ The factory

namespace {
MBusFactory* InstalledFactory = nullptr;
}

MBusFactory* BusFactory() {
    return InstalledFactory;
}

void SetBusFactory(MBusFactory* Factory) {
    InstalledFactory = Factory;
}
