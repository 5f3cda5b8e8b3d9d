// The station's entry point: the application object with its error handler, the language pack,
// the shared message box over the catalogue, the main window, then the module clipboard.

#include "imaging/TwainDialogs.h"
#include "model/MClpBrd.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"
#include "ui/Umessage.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TApplication::setOrganizationName(QStringLiteral("Korvane"));
    TApplication::setApplicationName(QStringLiteral("JXW777"));

    TDMLanguagePack languages;
    // English, the default choice, until the main window applies the stored one.
    languages.OLanguagePack->SetLanguageNumber(1);

    TMessageBox box(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
    MessageBox = &box;
    InstallTwainDialogs();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("JXW777"));
    window.resize(1024, 720);
    window.showMaximized();

    // The module clipboard, shared by every module window of every project.
    TMUnvClipBoard clipboard;
    MUnvClipBoard = &clipboard;

    const int rc = TApplication::exec();
    MUnvClipBoard = nullptr;
    MessageBox = nullptr;
    return rc;
}
