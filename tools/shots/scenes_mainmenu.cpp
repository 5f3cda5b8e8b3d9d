// The main menu's scene: the station's frame with a project open and its File menu pulled down from
// the menu bar.

#include "tools/shots/MainFrame.h"
#include "tools/shots/Popups.h"
#include "tools/shots/Shots.h"

#include "app/UMainMenu.h"
#include "app/UProjectFiles.h"
#include "app/UStation.h"
#include "ui/MainMenu_m.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"

#include <QMouseEvent>

KDS_SHOT_SCENE("main-menu", "The main window over a project with its File menu open: the project, picture, "
                            "scanner, transfer and exchange commands with their shortcuts and separators, "
                            "Save Image disabled while the project is current; in Arabic the menus run from "
                            "the right and their texts stand at the right") {
    ctx.Size = QSize(1000, 700);
    auto frame = shots::StartedFrame(ctx);
    const auto files = NewProjectFiles(740, 7, 120, 80);
    const QString name =
        SaveProjectFiles(QDir(ctx.TempFolder).filePath(QStringLiteral("jacquard_740e7.LST")), *files)
            .HeaderFile;
    // The project's container and drawing are the station's own, made through its factory.
    MBusFactory* old = BusFactory();
    SetBusFactory(&StationFactory());
    try {
        MBusProject* project = frame->OpenProjectFile(name);
        frame->PrjContainerNotify(1, 8, project->WindowNumber);
    } catch (...) {
        SetBusFactory(old);
        throw;
    }
    SetBusFactory(old);
    TFormMain* f = frame.get();
    ctx.AfterShow = [f](QWidget*) {
        shots::MakeActive(f);
        MMainMenu* bar = f->OMainMenu();
        const QPointF at = bar->actionGeometry(f->MainMenu().mnuFile).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(bar, &press);
        QApplication::processEvents();
    };
    ctx.Grab = [f](QWidget* w) {
        MPopupMenu* popup = f->MainMenu().FilePopup;
        const QImage image = shots::GrabWithPopup(w, popup);
        popup->hide();
        return image;
    };
    return frame;
}
