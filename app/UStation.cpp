#include "app/UStation.h"

#include "app/Intro.h"
#include "app/UDialing.h"
#include "app/UFormExport.h"
#include "app/UFormImport.h"
#include "app/UGtestWindow.h"
#include "app/UModuleForms.h"
#include "app/UPictureDialogs.h"
#include "app/UPrjContainer.h"
#include "app/UPtestWindow.h"
#include "app/UknitWindow.h"

#include "imaging/TwainDialogs.h"
#include "model/MClpBrd.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "ui/LanguagePack.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"

#include <QDir>
#include <QFileDialog>

TStation::~TStation() {
    // The reverse of the order of creation.
    FormDialing.reset();
    if (::MUnvClipBoard == MUnvClipBoard.get())
        ::MUnvClipBoard = nullptr;
    MUnvClipBoard.reset();
    FormMain.reset();
    DMLanguagePack.reset();
}

bool ExecuteSaveImageDialog(const TSaveImageRequest& Request, QString& FileName, int& FilterIndex) {
    QFileDialog dialog(nullptr, Request.Title, Request.InitialFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Names are listed without regard to the case of their extensions.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(Request.Filters);
    if (Request.FilterIndex >= 0 && Request.FilterIndex < Request.Filters.size())
        dialog.selectNameFilter(Request.Filters[Request.FilterIndex]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().first();
    FilterIndex = int(Request.Filters.indexOf(dialog.selectedNameFilter()));
    if (FilterIndex < 0)
        FilterIndex = 0;
    return true;
}

namespace {

class TStationFactory final : public MBusFactory {
public:
    MBusDrawing* CreateDrawing(TFormMain& Main) override { return MakeKnitWindow(Main); }
    MBusProject* CreateProject(TFormMain& Main) override { return NewProjectContainer(Main); }
};

} // namespace

MBusFactory& StationFactory() {
    static TStationFactory factory;
    return factory;
}

std::unique_ptr<TStation> StartStation(TStationOptions Options) {
    if (!Options.AppFolder.isEmpty())
        SetAppFolder(Options.AppFolder);
    TMainServices& services = Options.Services;
    if (!services.SaveImageDialog)
        services.SaveImageDialog = ExecuteSaveImageDialog;
    if (!services.ImageTypeQuestion)
        services.ImageTypeQuestion = [] { return AskImageType(); };
    if (!services.MakeIntro)
        services.MakeIntro = [](QWidget*) -> std::unique_ptr<QWidget> {
            return std::make_unique<TFormIntro>();
        };
    std::unique_ptr<TStation> station(new TStation);
    try {
        station->DMLanguagePack = std::make_unique<TDMLanguagePack>();
        // English until the main window applies the stored language.
        station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
        station->FormMain = std::make_unique<TFormMain>(std::move(services));
        station->FormMain->FormCreate();
        // The project's graphic test (child window 12).
        InstallGraphicTest();
        // The project's program test (child window 11).
        InstallProgramTest();
        // The module clipboard, shared by every module window of every project.
        station->MUnvClipBoard = std::make_unique<TMUnvClipBoard>();
        ::MUnvClipBoard = station->MUnvClipBoard.get();
        InstallModuleWindows();
        // The project's import window and the S window's export window.
        InstallImportWindow();
        InstallExportWindow();
        // The dialing window of the telephone line; the line's plain messages go to a message box.
        station->FormDialing = std::make_unique<TformDialing>();
        TPhoneLine::SetDialingView(station->FormDialing.get());
        TPhoneLine::SetMessageSink([](const QString& Text) {
            if (TApplication::PlainMessage)
                TApplication::PlainMessage(Text);
        });
    } catch (const std::exception& e) {
        TApplication::ShowException(e);
        return nullptr;
    }
    return station;
}

int RunStation(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::setOrganizationName(QStringLiteral("Korvane"));
    TApplication::setApplicationName(QStringLiteral("JXW777"));
    InstallTwainDialogs();
    SetBusFactory(&StationFactory());

    TStationOptions options;
    // The first argument after Qt's own options names a file to open.
    options.Services.Arguments = TApplication::arguments().mid(1);
    auto station = StartStation(std::move(options));
    if (!station)
        return 1;
    station->FormMain->showMaximized();
    return TApplication::exec();
}
