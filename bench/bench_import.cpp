// The stripe import: a library module of 10 S lines over 20 Z rows brought into a program of 480 S
// lines over 1950 Z rows on a four-system machine, appended after the last stripe and inserted after
// the first. (A program of 500 S lines and 2000 Z rows leaves no number for the entry's lines and
// rows: S lines end at 511 and Z rows at 2000.)
#include "app/ULibFiles.h"
#include "app/UProjectFiles.h"
#include "app/UStripImport.h"
#include "model/ULstFile.h"
#include "model/UunvDta.h"
#include "tests/support/ProjectScript.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Rows of one carrier knitting on the front of every system, on pattern line 11 + n % 50.
QString Rows(int Count) {
    QString script;
    for (int z = 1; z <= Count; ++z)
        script += QStringLiteral("Z%1 cam1=RR cam3=RR cam5=RR cam7=RR ZT1=%2 yc1=3 rack1=0:G FSF=1 FSR=1\n")
                      .arg(z)
                      .arg(11 + z % 50);
    return script;
}

QString Program(int SLines, int ZRows) {
    QString script =
        QStringLiteral("machine 740 7\nC area=1..201 L1=0,0,-10 R1=0,0,10\nFS1 A=D5 B=D5\n") + Rows(ZRows);
    const int per = ZRows / SLines;
    for (int s = 1; s <= SLines; ++s)
        script += QStringLiteral("S%1 Z=%2+%3 D1\n").arg(s).arg((s - 1) * per + 1).arg(per - 1);
    return script;
}

struct Fixture {
    QTemporaryDir Dir;
    QString Lib = Dir.path() + QStringLiteral("/Export/");
    std::unique_ptr<MMemoryProject> Project = kdstest::BuildProject(Program(480, 1950));
    TBitmap Drawing{200, 100, pf24bit};

    Fixture() {
        QDir().mkpath(Lib);
        auto entry = kdstest::BuildProject(Program(10, 20));
        SaveMachineFile(Lib + QStringLiteral("m.LST"), entry->Lists.Machine, entry->Lists.Lists());
        ModuleHeader h;
        h.Systems = 4;
        h.Model = 740;
        h.LastColumn = 40;
        h.FirstLine = 11;
        h.LastLine = 60;
        h.SLineCount = 10;
        h.StartSides[2] = h.EndSides[2] = SideLeft;
        QFile mod(Lib + QStringLiteral("m.mod"));
        mod.open(QIODevice::WriteOnly);
        mod.write(WriteModuleHeader(h));
        mod.close();
        QFile bmp(Lib + QStringLiteral("m.bmp"));
        bmp.open(QIODevice::WriteOnly);
        bmp.write(ProjectPictureImage(TBitmap(40, 50, pf24bit)));
        bmp.close();
        // Two stripes over the program.
        MMachineInfo& machine = Project->Lists.Machine;
        for (int k = 0; k < 2; ++k) {
            MStrip strip;
            strip.Id = k + 1;
            strip.FirstS = 1 + 250 * k;
            strip.LastS = k == 0 ? 250 : 480;
            strip.SetName(QStringLiteral("half"));
            machine.AddStrip(strip);
            for (int s = strip.FirstS; s <= strip.LastS; ++s)
                Project->Lists.S.GetS(s).StripId = strip.Id;
        }
    }
};

void Import(benchmark::State& State, int After) {
    Fixture f;
    for (auto _ : State) {
        State.PauseTiming();
        TBitmap drawing = f.Drawing;
        MStripImport engine;
        engine.Attach(&f.Project->Lists, &f.Project->Colors, &drawing);
        engine.PrepareWorkingSets();
        engine.SyncStripes();
        engine.SelectedStripe = After;
        MImportPlacement p;
        p.Folder = f.Lib;
        p.Name = QStringLiteral("m");
        p.X = 5;
        p.Y = 11;
        State.ResumeTiming();
        const auto range = engine.LoadModuleFile(p);
        benchmark::DoNotOptimize(range);
    }
}

void BM_ImportAppended(benchmark::State& State) {
    Import(State, -1);
}
void BM_ImportAfterFirstStripe(benchmark::State& State) {
    Import(State, 0);
}

} // namespace

BENCHMARK(BM_ImportAppended)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAfterFirstStripe)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
