// The main window's scenes: the station's frame as it starts, and its toolbars, dialogs and intro.

#include "tools/shots/MainFrame.h"
#include "tools/shots/Popups.h"
#include "tools/shots/Shots.h"

#include "app/Intro.h"
#include "app/ProjOptions.h"
#include "ui/DockToolBar_m.h"
#include "ui/PopupMenu_m.h"

#include <QApplication>
#include <QMouseEvent>

using shots::StartedFrame;

KDS_SHOT_SCENE(
    "main-window",
    "The station's main window as it starts: the menu with File, Image, Window, "
    "Tools, Help and Language, the five drawing toolbars in their docks, the empty MDI area and the status "
    "bar with the needle and line read-out") {
    ctx.Size = QSize(1000, 700);
    return StartedFrame(ctx);
}

// ---- The drawing toolbars' width menu, the Options dialog, the about and intro windows.

KDS_SHOT_SCENE("width-menu", "The main window with the Width drop-down of its Brushes toolbar open: the five "
                             "pen widths with their glyphs, running from the right in Arabic") {
    ctx.Size = QSize(1000, 700);
    auto frame = StartedFrame(ctx);
    MDockToolBarButton* thick = frame->Tools()->Thick;
    QMenu* menu = frame->Tools()->WidthMenu;
    ctx.AfterShow = [thick](QWidget*) {
        const QPointF at(thick->width() / 2, thick->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, thick->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(thick, &press);
    };
    ctx.Grab = [menu](QWidget* w) { return shots::GrabWithPopup(w, menu); };
    return frame;
}

KDS_SHOT_SCENE("options", "The Options dialog: the three program paths, the two list options, the toolbar "
                          "hiding and the autosave minutes") {
    auto f = std::make_unique<TFormProjOptions>();
    f->SetZodeZidadedPath(QStringLiteral("/opt/jxw777/ZodeZidaded/ZodeZidaded.EXE"));
    f->SetBrowserPath(QStringLiteral("/usr/bin/firefox"));
    f->SetJxw666Path(QStringLiteral("/opt/jxw666A/jxw.exe"));
    f->SetShowHint(true);
    f->SetAutoValidate(false);
    f->SetAutoHide(true);
    f->SetMinutes(3);
    return f;
}

KDS_SHOT_SCENE("about", "The about window: the station's picture with its name and version, and OK") {
    return std::make_unique<TFormAbout>();
}

KDS_SHOT_SCENE("intro", "The intro window shown while the station starts: its picture, without a border") {
    return std::make_unique<TFormIntro>();
}
