#pragma once
// The station's main window as the scenes start it: temporary settings that hold the scene's
// language, its boxes going to the tool's message box, its timer stopped.

#include "tools/shots/Shots.h"

#include "app/UMain.h"
#include "model/Ucommon.h"

#include <QDir>
#include <QFile>

namespace shots {

inline std::unique_ptr<TFormMain> StartedFrame(Context& ctx) {
    TMainServices services;
    services.SettingsFile = QDir(ctx.TempFolder).filePath(QStringLiteral("JXW777.ini"));
    QFile ini(services.SettingsFile);
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[JXW777]\nLangID=" + QByteArray::number(ctx.Language) + "\n");
    ini.close();
    services.Messages = MessageBox;
    services.RunTimer = false;
    auto frame = std::make_unique<TFormMain>(std::move(services));
    frame->FormCreate();
    return frame;
}

} // namespace shots
