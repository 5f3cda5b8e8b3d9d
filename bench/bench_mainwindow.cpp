// The main window, offscreen, on an empty desktop: from the start of its creation (the program-wide
// objects and every start-up step) to the first shown frame; and a language switch of the shown frame
// with its toolbars, status bar and menus.

#include "bench/BenchSupport.h"

#include "app/UStation.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "ui/LanguagePack.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A station in the build's application folder with temporary settings and no boxes shown.
struct Silent : MMessageService {
    int ShowCodeMessage(int, int, const QString&, int) override { return mbOK; }
};

// Starts the station and shows its frame at the size of a large screen; null when it did not start.
std::unique_ptr<TStation> ShownStation(const QTemporaryDir& Dir, Silent& Messages) {
    TStationOptions o;
    o.Services.SettingsFile = Dir.filePath(QStringLiteral("JXW777.ini"));
    o.Services.Messages = &Messages;
    o.Services.RunTimer = false;
    auto station = StartStation(std::move(o));
    if (station) {
        station->FormMain->resize(1600, 1000);
        station->FormMain->show();
        QCoreApplication::processEvents();
    }
    return station;
}

void BM_StartToFirstShownFrame(benchmark::State& state) {
    QTemporaryDir dir;
    Silent messages;
    for (auto _ : state) {
        auto station = ShownStation(dir, messages);
        if (!station) {
            state.SkipWithError("the station did not start");
            return;
        }
        state.PauseTiming();
        station.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstShownFrame)->Unit(benchmark::kMillisecond);

void BM_SwitchLanguageOfTheFrame(benchmark::State& state) {
    QTemporaryDir dir;
    Silent messages;
    auto station = ShownStation(dir, messages);
    if (!station) {
        state.SkipWithError("the station did not start");
        return;
    }
    int language = LanguageEnglish;
    for (auto _ : state) {
        language = language == LanguageEnglish ? LanguageArabic : LanguageEnglish;
        station->DMLanguagePack->OLanguagePack->SetLanguageNumber(language);
        station->FormMain->repaint();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_SwitchLanguageOfTheFrame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The build's application folder holds the catalogue and the toolbar pictures.
    SetAppFolder(QStringLiteral(KDS_APP_FOLDER));
    return bench::RunBenchmarksOffscreen<TApplication>(argc, argv);
}
