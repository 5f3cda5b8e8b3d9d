// Scenes of the scanner's dialogs, over SANE's test back end (two devices, test:0 and test:1).

#include "tools/shots/Shots.h"

#include "imaging/TwainDialogs.h"
#include "imaging/imgtwain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>

#include <dlfcn.h>

namespace {
// The back end alone, configured in a folder of the tool's own; SANE reads the folder's name once
// per process, the files at every start of a session.
void UseTestBackend(int devices) {
    static QTemporaryDir folder;
    static bool set = false;
    if (!set) {
        qputenv("SANE_CONFIG_DIR", folder.path().toLocal8Bit());
        dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE);
        dlopen(KDS_SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);
        set = true;
    }
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(folder.path() + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text);
    };
    write(QStringLiteral("dll.conf"), devices > 0 ? "test\n" : "");
    write(QStringLiteral("test.conf"),
          QStringLiteral("number_of_devices %1\nresolution 50.0\n").arg(devices).toLatin1());
}

// Catches what the session hands to its dialogs and photographs the source's dialog while the
// source is open.
class TCapture : public TTwainUserInterface {
public:
    std::vector<TTwainDevice> Devices;
    QPixmap Picture;
    bool UserSelect(QObject*, const std::function<std::vector<TTwainDevice>()>& List, const QString&,
                    QString&) override {
        Devices = List();
        return false;
    }
    void RunSource(QObject*, TTwainSource& Source) override {
        TTwainSourceDialog dialog(nullptr, Source);
        dialog.show();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        Picture = dialog.grab();
        Source.Close();
    }
};

std::unique_ptr<QWidget> SelectScene(int devices) {
    UseTestBackend(devices);
    SetTwainDefaultSource(QStringLiteral("test:1"));
    TCapture capture;
    SetTwainUserInterface(&capture);
    TwainSelectSource(nullptr);
    SetTwainUserInterface(nullptr);
    return std::make_unique<TTwainSelectDialog>(nullptr, capture.Devices, TwainDefaultSource());
}
} // namespace

KDS_SHOT_SCENE("scanner-select", "Choosing the scanner: test:0 and test:1, test:1 the stored default") {
    return SelectScene(2);
}

KDS_SHOT_SCENE("scanner-select-none", "Choosing the scanner when none is found: OK stays disabled") {
    return SelectScene(0);
}

KDS_SHOT_SCENE("scanner-source", "The source dialog of test:0 with its options") {
    UseTestBackend(2);
    SetTwainDefaultSource(QStringLiteral("test:0"));
    TCapture capture;
    SetTwainUserInterface(&capture);
    TwainAcquire(nullptr, 0, false);
    SetTwainUserInterface(nullptr);
    auto label = std::make_unique<QLabel>();
    label->setPixmap(capture.Picture);
    label->setContentsMargins(0, 0, 0, 0);
    return label;
}
