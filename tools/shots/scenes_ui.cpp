// Scenes of the user-interface foundation: the numbered message box.

#include "tools/shots/Shots.h"

#include "platform/AppFolder.h"
#include "ui/Umessage.h"

KDS_SHOT_SCENE("message-box", "The numbered message box asking before a module is overwritten") {
    auto box = std::make_unique<TMessageBox>(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
    box->PrepareMessage(11, 1101, QString(), 2 | 4 | 64 | 16);
    return box;
}

KDS_SHOT_SCENE("message-box-path", "The numbered message box naming a project file that cannot be read, with "
                                   "its path and the reason as arguments") {
    auto box = std::make_unique<TMessageBox>(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
    box->PrepareMessage(11, 3602,
                        QStringLiteral("/home/designer/knit 2/abc_740e7.JXW;No such file or directory"), 1);
    return box;
}
