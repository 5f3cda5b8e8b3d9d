// Scenes of the user-interface foundation: the numbered message box.

#include "tools/shots/Shots.h"

#include "platform/AppFolder.h"
#include "ui/Umessage.h"

KDS_SHOT_SCENE("message-box", "The numbered message box asking before a module is overwritten") {
    auto box = std::make_unique<TMessageBox>(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
    box->PrepareMessage(11, 1101, QString(), 2 | 4 | 64 | 16);
    return box;
}
