// Opening and saving a full-size project (the lists benchmark's machine program file, a 2000 x 2000
// picture and 100 strips) beside cp of the same three files followed by sync of the copies; the
// file half of an autosave pass (four changed full-size projects written as desktop copies, one after
// another on the calling thread); and the station's own autosave pass over four open full-size
// projects, on the GUI thread.
#include "BenchSupport.h"
#include "FullProgram.h"
#include "app/LBoardFr.h"
#include "app/LBoardSh.h"
#include "app/UMain.h"
#include "app/UPrjContainer.h"
#include "app/UProjectFiles.h"
#include "app/UStation.h"
#include "platform/AppFolder.h"
#include "ui/UApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
std::unique_ptr<MProjectFiles> FullProject() {
    auto files = std::make_unique<MProjectFiles>();
    FillProgram(*files->Lists);
    files->Picture = bench::MakePicture(2000);
    for (int i = 1; i <= 100; ++i) {
        MStrip s;
        s.Id = i;
        s.FirstS = 5 * i - 4;
        s.LastS = 5 * i;
        s.SetName(QStringLiteral("strip %1").arg(i));
        files->Lists->Machine.AddStrip(s);
    }
    return files;
}

// The folder of the benchmark's files, with the full-size project saved as full_740e7.
const QTemporaryDir& Folder() {
    static QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench_project.XXXXXX"));
    static const bool saved = [] {
        auto files = FullProject();
        SaveProjectFiles(dir.filePath(QStringLiteral("full_740e7.LST")), *files);
        return true;
    }();
    (void)saved;
    return dir;
}

void BM_OpenProject(benchmark::State& State) {
    const QString name = Folder().filePath(QStringLiteral("full_740e7.LST"));
    for (auto _ : State) {
        auto files = OpenProjectFiles(name);
        benchmark::DoNotOptimize(files->Picture.Width());
    }
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& State) {
    auto files = FullProject();
    const QString name = Folder().filePath(QStringLiteral("saved_740e7.LST"));
    for (auto _ : State)
        SaveProjectFiles(name, *files);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same three files copied by cp and flushed to the disk by sync.
void BM_CopyAndSync(benchmark::State& State) {
    const QString dir = Folder().path();
    QDir().mkpath(dir + QStringLiteral("/copy"));
    bench::RunProgram(State, QStringLiteral("/bin/sh"),
                      QStringLiteral("-c 'cd %1 && cp full_740e7.LST full_740e7.BMP full_740e7.JXW copy/ && "
                                     "sync copy/full_740e7.LST copy/full_740e7.BMP copy/full_740e7.JXW'")
                          .arg(dir));
}
BENCHMARK(BM_CopyAndSync)->Unit(benchmark::kMillisecond)->UseRealTime();

// The file half of an autosave pass: four changed full-size projects written as desktop copies.
void BM_AutosaveFourProjects(benchmark::State& State) {
    std::vector<std::unique_ptr<MProjectFiles>> projects;
    for (int i = 0; i < 4; ++i)
        projects.push_back(FullProject());
    const QString desk = Folder().path() + QStringLiteral("/DeskTop");
    QDir().mkpath(desk);
    for (auto _ : State)
        for (int i = 0; i < 4; ++i)
            SaveProjectFiles(QStringLiteral("%1/DT%2.LST").arg(desk).arg(i + 1), *projects[std::size_t(i)]);
}
BENCHMARK(BM_AutosaveFourProjects)->Unit(benchmark::kMillisecond)->UseRealTime();
// The station's autosave pass: four open full-size projects, each marked changed since its copy, and
// the main window's desktop autosave writing their copies and the desktop list.
struct TSilent : MMessageService {
    int ShowCodeMessage(int, int, const QString&, int) override { return mbOK; }
};

// Changed: every pass also changes one cell of each project's picture, so every picture is written
// again; otherwise the pictures stay as their last copies hold them.
void StationAutosavePass(benchmark::State& State, bool Changed) {
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench_autosave.XXXXXX"));
    const QString app = dir.filePath(QStringLiteral("app"));
    for (const char* folder : {"Dta", "Bitmaps"})
        if (std::system(QStringLiteral("mkdir -p %1 && cp -r %2%3 %1/")
                            .arg(app, QStringLiteral(KDS_APP_FOLDER), QLatin1String(folder))
                            .toLocal8Bit()
                            .constData()) != 0) {
            State.SkipWithError("the application folder could not be made");
            return;
        }
    TSilent messages;
    SetBusFactory(&StationFactory());
    TStationOptions o;
    o.AppFolder = app;
    o.Services.SettingsFile = dir.filePath(QStringLiteral("JXW777.ini"));
    o.Services.Messages = &messages;
    o.Services.RunTimer = false;
    o.Services.MakeIntro = [](QWidget*) { return std::unique_ptr<QWidget>(); };
    auto station = StartStation(std::move(o));
    if (!station) {
        State.SkipWithError("the station did not start");
        return;
    }
    auto full = FullProject();
    for (int i = 1; i <= 4; ++i)
        station->FormMain->OpenProjectFile(
            SaveProjectFiles(dir.filePath(QStringLiteral("full%1_740e7.LST").arg(i)), *full).HeaderFile);
    if (station->FormMain->Projects().size() != 4) {
        State.SkipWithError("the projects did not open");
        return;
    }
    std::uint8_t shade = 0;
    for (auto _ : State) {
        State.PauseTiming();
        ++shade;
        for (MBusProject* p : station->FormMain->Projects()) {
            if (TBoardFormats* board = Changed ? static_cast<TPrjContainer*>(p)->Board() : nullptr)
                board->Raster().ScanLine(0)[0] = shade;
            p->SetNeedsAutosave(true);
        }
        State.ResumeTiming();
        station->FormMain->SaveDeskTop();
    }
}
void BM_StationAutosavePass(benchmark::State& State) {
    StationAutosavePass(State, false);
}
BENCHMARK(BM_StationAutosavePass)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_StationAutosavePassPicturesChanged(benchmark::State& State) {
    StationAutosavePass(State, true);
}
BENCHMARK(BM_StationAutosavePassPicturesChanged)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    SetAppFolder(QStringLiteral(KDS_APP_FOLDER));
    return bench::RunBenchmarksOffscreen<TApplication>(argc, argv);
}
