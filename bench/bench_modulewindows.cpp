// The module windows of a full-size project (bench/FullProgram.h: 2000 Z rows), offscreen: opening the
// Z window up to its first paint, and a language switch to Arabic and back with all ten windows of
// the project open (the nine module windows and the Setup Scheme window).
#include "BenchSupport.h"
#include "FullProgram.h"
#include "app/UModuleForms.h"
#include "app/UProjectFiles.h"
#include "app/USetupForm.h"
#include "platform/AppFolder.h"
#include "ui/LanguagePack.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The project container over the full-size program, opened once from its files.
TPrjContainer& Project() {
    static TPrjContainer* project = [] {
        SetAppFolder(QStringLiteral(KDS_APP_FOLDER));
        static TDMLanguagePack pack;
        pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
        static QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench_modulewindows.XXXXXX"));
        auto files = std::make_unique<MProjectFiles>();
        FillProgram(*files->Lists);
        files->Picture = bench::MakePicture(630);
        const QString name =
            SaveProjectFiles(dir.filePath(QStringLiteral("full_740e7.LST")), *files).HeaderFile;
        auto* p = new TPrjContainer(nullptr);
        p->OpenProject(name);
        return p;
    }();
    return *project;
}

void BM_OpenZWindowToItsFirstPaint(benchmark::State& State) {
    TPrjContainer& p = Project();
    for (auto _ : State) {
        auto win = std::make_unique<TZ_Form>(p);
        win->show();
        win->repaint();
        benchmark::DoNotOptimize(win->Container()->VisibleRows());
    }
}
BENCHMARK(BM_OpenZWindowToItsFirstPaint)->Unit(benchmark::kMillisecond);

void BM_LanguageSwitchWithTenWindowsOpen(benchmark::State& State) {
    TPrjContainer& p = Project();
    std::vector<std::unique_ptr<QWidget>> windows;
    for (int index = wiN; index <= wiR; ++index)
        windows.emplace_back(NewModuleForm(p, index));
    windows.emplace_back(new TC_Form(p));
    for (auto& w : windows)
        w->show();
    QApplication::processEvents();
    MLanguagePack* pack = DMLanguagePack->OLanguagePack;
    for (auto _ : State) {
        pack->SetLanguageNumber(LanguageArabic);
        pack->SetLanguageNumber(LanguageEnglish);
    }
}
BENCHMARK(BM_LanguageSwitchWithTenWindowsOpen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
