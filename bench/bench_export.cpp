// The export of a range of S lines to the module library: 100 S lines of a full-size program (511 S
// lines over 2000 Z rows on a four-system machine) written as a library entry, and that entry imported
// back into an empty project of the machine. The export runs the program from its start, so the
// program is one that runs: every S line knits over its own rows with one carrier on every system,
// on lines 11 to 60, with the FS, W and R entries its rows and lines name. (The rows of
// FullProgram.h are not a program: its row search leaves S1 for S334 and ends.)
#include "app/UExportEntry.h"
#include "app/UStripImport.h"
#include "tests/support/ProjectScript.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString FullSizeProgram() {
    QString script =
        QStringLiteral("machine 740 7\nC area=1..201 L1=0,0,-10 R1=0,0,10\nW1 levels=2,2,2,2,2,2,2,2\n"
                       "R1 W1 offsets=0\n");
    for (int fs = 1; fs <= 8; ++fs)
        script += QStringLiteral("FS%1 A=D%2 B=W1\n").arg(fs).arg(4 + fs);
    for (int z = 1; z <= 2000; ++z)
        script +=
            QStringLiteral("Z%1 cam1=JR cam3=JR cam5=JR cam7=JR LG1=1 LG3=1 LG5=1 LG7=1 ZT1=%2 ZT3=%2 ZT5=%2 "
                           "ZT7=%2 yc1=3 rack1=0:G FSF=%3 FSR=%3\n")
                .arg(z)
                .arg(11 + z % 50)
                .arg(1 + z % 8);
    // Line s runs rows 4s - 3 .. 4s - 1 for s up to 500, the last eleven one row each.
    for (int s = 1; s <= 511; ++s) {
        const int first = s <= 500 ? 4 * s - 3 : 2000 - (511 - s);
        script += QStringLiteral("S%1 Z=%2+%3 %4\n")
                      .arg(s)
                      .arg(first)
                      .arg(s <= 500 ? 2 : 0)
                      .arg(s % 7 ? "D1" : "R1");
    }
    return script;
}

struct Fixture {
    QTemporaryDir Dir;
    QString Folder = Dir.path() + QStringLiteral("/Export/");
    std::unique_ptr<MMemoryProject> Project = kdstest::BuildProject(FullSizeProgram());
    MProgramLists& Program = Project->Lists;
    MPalette& Palette = Project->Colors;
    TBitmap Drawing{200, 70, pf24bit};
    MExportRequest Request;

    Fixture() {
        Request.Name = QStringLiteral("hundred");
        Request.FromS = 200;
        Request.ToS = 299;
    }
};

void BM_ExportHundredLines(benchmark::State& State) {
    Fixture f;
    for (auto _ : State) {
        const MExportEntry entry =
            ExportLibraryEntryTo(f.Program, f.Palette, f.Drawing, f.Request, f.Folder, f.Request.Name, true);
        State.counters["s_lines"] = entry.Lists->S.Count();
        State.counters["z_rows"] = entry.Lists->Z.Count();
    }
}

void BM_ImportExportedIntoEmptyProject(benchmark::State& State) {
    Fixture f;
    const ModuleHeader h =
        ExportLibraryEntryTo(f.Program, f.Palette, f.Drawing, f.Request, f.Folder, f.Request.Name, true)
            .Header;
    MProgramLists empty;
    empty.Machine.Assign(f.Program.Machine);
    empty.C.AddOrReplace(f.Program.C.FindByNumber(1));
    for (auto _ : State) {
        State.PauseTiming();
        TBitmap drawing = f.Drawing;
        MStripImport engine;
        engine.Attach(&empty, &f.Palette, &drawing);
        engine.PrepareWorkingSets();
        engine.SyncStripes();
        MImportPlacement p;
        p.Folder = f.Folder;
        p.Name = f.Request.Name;
        p.X = h.FirstColumn;
        p.Y = h.FirstLine;
        p.YBelow = h.UsesLowLines() ? h.FirstLowLine() : -1;
        State.ResumeTiming();
        const auto range = engine.LoadModuleFile(p);
        State.counters["stripe_lines"] = range.second - range.first + 1;
        State.counters["z_rows"] = engine.Result.Z.Count();
    }
}

} // namespace

BENCHMARK(BM_ExportHundredLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportExportedIntoEmptyProject)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
