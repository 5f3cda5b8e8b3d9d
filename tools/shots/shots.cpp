// shots: photographs the station's windows, panels and controls offscreen, in Arabic and English.
//
//   shots SCENE OUT.png [--lang en|ar] [FILE]   one scene in one language
//   shots --all DIR                             every scene in both languages: DIR/<scene>-<lang>.png
//   shots --list                                the scenes with their descriptions
//
// Exit codes: 0 done, 1 a scene failed, 2 usage.

#include "tools/shots/Shots.h"

#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "ui/LanguagePack.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"
#include "ui/Umessage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>

namespace shots {
namespace {
std::map<QString, Scene>& Registry() {
    static std::map<QString, Scene> scenes;
    return scenes;
}
} // namespace

bool Register(const QString& Name, const QString& Description, Maker Make) {
    if (Registry().count(Name) != 0) {
        std::fprintf(stderr, "shots: scene %s is registered twice\n", qPrintable(Name));
        std::abort();
    }
    Registry()[Name] = Scene{Name, Description, std::move(Make)};
    return true;
}

std::vector<Scene> Scenes() {
    std::vector<Scene> out;
    for (const auto& [name, scene] : Registry())
        out.push_back(scene);
    return out;
}

QString ResourceFolder() {
    return QStringLiteral(KDS_SHOTS_RESOURCES "/");
}
} // namespace shots

namespace {
// Settings and per-user folders point at a scratch folder: a scene never touches the user's own.
void IsolateUserFolders(const QString& home) {
    const QByteArray dir = home.toUtf8();
    setenv("HOME", dir.constData(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (dir + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (dir + "/cache").constData(), 1);
    QDir().mkpath(home + QStringLiteral("/runtime"));
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", (dir + "/runtime").constData(), 1);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home + QStringLiteral("/settings"));
}

void Settle(int Milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        TApplication::processEvents(QEventLoop::AllEvents, 20);
        TApplication::sendPostedEvents();
    } while (timer.elapsed() < Milliseconds);
}

bool Shoot(const shots::Scene& Scene, int Language, const QString& File, const QString& Out) {
    MLanguagePack* pack = DMLanguagePack != nullptr ? DMLanguagePack->OLanguagePack : nullptr;
    if (pack != nullptr)
        pack->SetLanguageNumber(Language);
    QTemporaryDir temp;
    shots::Context ctx;
    ctx.Language = Language;
    ctx.File = File;
    ctx.TempFolder = temp.path();
    try {
        std::unique_ptr<QWidget> widget = Scene.Make(ctx);
        if (!widget) {
            std::fprintf(stderr, "shots: scene %s built nothing\n", qPrintable(Scene.Name));
            return false;
        }
        if (ctx.Size.isValid())
            widget->resize(ctx.Size);
        widget->show();
        Settle(60);
        if (ctx.AfterShow) {
            ctx.AfterShow(widget.get());
            Settle(60);
        }
        const QImage image = ctx.Grab ? ctx.Grab(widget.get()) : widget->grab().toImage();
        if (image.isNull() || !image.save(Out, "PNG")) {
            std::fprintf(stderr, "shots: cannot write %s\n", qPrintable(Out));
            return false;
        }
        widget->hide();
        widget.reset();
        Settle(10);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "shots: scene %s failed: %s\n", qPrintable(Scene.Name), e.what());
        return false;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: shots SCENE OUT.png [--lang en|ar] [FILE]\n"
                         "       shots --all DIR\n"
                         "       shots --list\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    IsolateUserFolders(home.path());
    TApplication app(argc, argv);
    TApplication::setOrganizationName(QStringLiteral("Korvane"));
    TApplication::setApplicationName(QStringLiteral("JXW777-shots"));
    SetAppFolder(shots::ResourceFolder());

    TDMLanguagePack languages;
    languages.OLanguagePack->SetLanguageNumber(1);
    TMessageBox box(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
    MessageBox = &box;

    QStringList args = TApplication::arguments().mid(1);
    int rc = 0;
    const auto scenes = shots::Scenes();
    if (args.value(0) == QStringLiteral("--list") && args.size() == 1) {
        for (const auto& scene : scenes)
            std::printf("%-28s %s\n", qPrintable(scene.Name), qPrintable(scene.Description));
    } else if (args.value(0) == QStringLiteral("--all") && args.size() == 2) {
        const QString dir = args[1];
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "shots: cannot make %s\n", qPrintable(dir));
            rc = 1;
        }
        for (const auto& scene : scenes) {
            for (const auto& [lang, tag] : {std::pair{1, "en"}, std::pair{0, "ar"}}) {
                const QString out = dir + QStringLiteral("/%1-%2.png").arg(scene.Name, QLatin1String(tag));
                if (rc == 0 && !Shoot(scene, lang, QString(), out))
                    rc = 1;
            }
        }
    } else if (args.size() >= 2 && !args[0].startsWith(QStringLiteral("--"))) {
        int lang = 1;
        QString file;
        for (int i = 2; i < args.size(); ++i) {
            if (args[i] == QStringLiteral("--lang") && i + 1 < args.size()) {
                const QString l = args[++i];
                if (l == QStringLiteral("ar"))
                    lang = 0;
                else if (l != QStringLiteral("en"))
                    rc = -1;
            } else if (file.isEmpty()) {
                file = args[i];
            } else {
                rc = -1;
            }
        }
        const auto it = std::find_if(scenes.begin(), scenes.end(),
                                     [&](const shots::Scene& s) { return s.Name == args[0]; });
        if (rc == -1) {
            rc = Usage();
        } else if (it == scenes.end()) {
            std::fprintf(stderr, "shots: no scene %s (shots --list shows them)\n", qPrintable(args[0]));
            rc = 2;
        } else if (!Shoot(*it, lang, file, args[1])) {
            rc = 1;
        }
    } else {
        rc = Usage();
    }
    MessageBox = nullptr;
    return rc;
}
