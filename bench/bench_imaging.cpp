// Image library figures on a 2048 x 2048 plasma picture: colour reduction to 256 colours,
// resampling to half size with Lanczos3, rotation by 30 degrees and colour counting, in process
// and as whole runs of imgtool side by side with ImageMagick (convert, identify, compare), which
// serves only as a yardstick and is skipped when it is not installed.
//
// The picture is KDS_BENCH_PICTURE (an 8-bit binary PPM) when set, else it is made with
// `convert -seed 7 -size 2048x2048 plasma:fractal -depth 8`; without ImageMagick a picture of our
// own stands in.

#include "imaging/ImageProc.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

QString ImageMagick(const QString& tool) {
    // The packaged program, not a wrapper earlier on the search path.
    QString path = QStandardPaths::findExecutable(tool, {QStringLiteral("/usr/bin")});
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(tool);
    return path;
}

struct RunResult {
    bool ok = false;
    QByteArray out, err;
};

RunResult Run(const QString& program, const QStringList& args, int threads = 0) {
    QProcess p;
    if (threads > 0) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MAGICK_THREAD_LIMIT"), QString::number(threads));
        env.insert(QStringLiteral("OMP_NUM_THREADS"), QString::number(threads));
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    const bool finished = p.waitForFinished(600000);
    return RunResult{finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                     p.readAllStandardOutput(), p.readAllStandardError()};
}

// Reads an 8-bit binary PPM without comments (as convert writes it).
std::optional<TBitmap> ReadPpm(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = f.readAll();
    int w = 0, h = 0, maxval = 0, headerLength = 0;
    if (std::sscanf(data.constData(), "P6 %d %d %d%n", &w, &h, &maxval, &headerLength) != 3 ||
        maxval != 255 || w <= 0 || h <= 0)
        return std::nullopt;
    const qsizetype start = headerLength + 1;
    if (data.size() - start < qsizetype(w) * h * 3)
        return std::nullopt;
    TBitmap bmp(w, h, pf24bit);
    const auto* src = reinterpret_cast<const std::uint8_t*>(data.constData() + start);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<TBGRColor*>(bmp.ScanLine(y));
        for (int x = 0; x < w; ++x, src += 3)
            row[x] = TBGRColor{src[2], src[1], src[0]};
    }
    return bmp;
}

// A smooth picture with noise, when ImageMagick cannot make the plasma.
TBitmap OwnPicture() {
    TBitmap bmp(2048, 2048, pf24bit);
    std::uint32_t seed = 7;
    for (int y = 0; y < 2048; ++y) {
        auto* row = reinterpret_cast<TBGRColor*>(bmp.ScanLine(y));
        for (int x = 0; x < 2048; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int n = int(seed >> 28) - 8;
            row[x] =
                TBGRColor{ClampByte(int(128 + 100 * std::sin(x / 97.0)) + n),
                          ClampByte(int(128 + 100 * std::cos(y / 61.0)) + n), ClampByte((x + y) / 16 + n)};
        }
    }
    return bmp;
}

struct Setting {
    QTemporaryDir dir;
    QString picture;
    TBitmap bitmap;
    bool haveMagick = false;

    Setting() {
        const QString given = qEnvironmentVariable("KDS_BENCH_PICTURE");
        const QString convert = ImageMagick(QStringLiteral("convert"));
        picture = given.isEmpty() ? dir.filePath(QStringLiteral("plasma.ppm")) : given;
        if (given.isEmpty() && !convert.isEmpty())
            Run(convert, {"-seed", "7", "-size", "2048x2048", "plasma:fractal", "-depth", "8", picture});
        auto read = ReadPpm(picture);
        haveMagick = !convert.isEmpty() && read.has_value();
        if (read) {
            bitmap = std::move(*read);
        } else {
            std::fprintf(stderr, "bench_imaging: no plasma picture; using a picture of our own\n");
            bitmap = OwnPicture();
        }
    }
    QString Out(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

Setting& TheSetting() {
    static Setting s;
    return s;
}

// ---- In process ----

template <typename Op>
void RunOperation(benchmark::State& state, Op op) {
    const Setting& s = TheSetting();
    TImageProc proc;
    proc.AutoUndo = false;
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap work(s.bitmap);
        proc.SetAttachedBitmap(&work);
        state.ResumeTiming();
        op(proc);
        benchmark::DoNotOptimize(work.Bits());
    }
}

void BM_ReduceColors256(benchmark::State& state) {
    RunOperation(state, [](TImageProc& p) { p.ReduceColors(256); });
}
void BM_ResampleHalfLanczos3(benchmark::State& state) {
    RunOperation(state, [](TImageProc& p) {
        p.Resample(p.AttachedBitmap()->Width() / 2, p.AttachedBitmap()->Height() / 2, rfLanczos3);
    });
}
void BM_Rotate30(benchmark::State& state) {
    RunOperation(state, [](TImageProc& p) { p.Rotate(30, false); });
}
void BM_CountColors(benchmark::State& state) {
    int count = 0;
    RunOperation(state, [&](TImageProc& p) { count = p.CountColors(); });
    state.counters["colours"] = count;
}
BENCHMARK(BM_ReduceColors256)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ResampleHalfLanczos3)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Rotate30)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CountColors)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- Whole runs side by side: file in, operation, file out ----

// The PSNR of a result against the original, as ImageMagick's compare measures it.
double Psnr(const QString& result) {
    const Setting& s = TheSetting();
    const RunResult r =
        Run(ImageMagick(QStringLiteral("compare")), {"-metric", "PSNR", s.picture, result, "null:"});
    return r.err.trimmed().toDouble();
}

void RunProgram(benchmark::State& state, const QString& program, const QStringList& args, int threads = 0) {
    if (program.isEmpty()) {
        state.SkipWithError("program not available");
        return;
    }
    for (auto _ : state) {
        if (!Run(program, args, threads).ok) {
            state.SkipWithError("the program failed");
            return;
        }
    }
}

#ifdef KDS_IMGTOOL
QString ImgTool() {
    return QStringLiteral(KDS_IMGTOOL);
}
#else
QString ImgTool() {
    return {};
}
#endif

QString MagickOrNothing(const char* tool) {
    return TheSetting().haveMagick ? ImageMagick(QString::fromLatin1(tool)) : QString();
}

void BM_Run_ImgTool_Reduce256(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, s.haveMagick ? ImgTool() : QString(),
               {"reduce", s.picture, s.Out("ours-reduced.ppm"), "256"});
    if (s.haveMagick)
        state.counters["PSNR_dB"] = Psnr(s.Out("ours-reduced.ppm"));
}
void BM_Run_Magick_Colors256(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, MagickOrNothing("convert"),
               {s.picture, "+dither", "-colors", "256", s.Out("magick-reduced.ppm")}, int(state.range(0)));
    if (s.haveMagick)
        state.counters["PSNR_dB"] = Psnr(s.Out("magick-reduced.ppm"));
}
void BM_Run_ImgTool_ResampleHalf(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, s.haveMagick ? ImgTool() : QString(),
               {"resample", s.picture, s.Out("ours-half.ppm"), "1024", "1024", "lanczos3"});
}
void BM_Run_Magick_ResizeHalf(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, MagickOrNothing("convert"),
               {s.picture, "-filter", "Lanczos", "-resize", "50%", s.Out("magick-half.ppm")},
               int(state.range(0)));
}
void BM_Run_ImgTool_Rotate30(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, s.haveMagick ? ImgTool() : QString(),
               {"rotate", s.picture, s.Out("ours-rotated.ppm"), "30"});
}
void BM_Run_Magick_Rotate30(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, MagickOrNothing("convert"),
               {s.picture, "-background", "blue", "-rotate", "30", s.Out("magick-rotated.ppm")},
               int(state.range(0)));
}
void BM_Run_ImgTool_Count(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, s.haveMagick ? ImgTool() : QString(), {"count", s.picture});
}
void BM_Run_Magick_IdentifyK(benchmark::State& state) {
    const Setting& s = TheSetting();
    RunProgram(state, MagickOrNothing("identify"), {"-format", "%k", s.picture}, int(state.range(0)));
}

// ImageMagick runs with its default threads (0) and with one thread, as our code does.
#define SIDE_BY_SIDE(ours, theirs)                                                                           \
    BENCHMARK(ours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);                            \
    BENCHMARK(theirs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)
SIDE_BY_SIDE(BM_Run_ImgTool_Reduce256, BM_Run_Magick_Colors256);
SIDE_BY_SIDE(BM_Run_ImgTool_ResampleHalf, BM_Run_Magick_ResizeHalf);
SIDE_BY_SIDE(BM_Run_ImgTool_Rotate30, BM_Run_Magick_Rotate30);
SIDE_BY_SIDE(BM_Run_ImgTool_Count, BM_Run_Magick_IdentifyK);

} // namespace

BENCHMARK_MAIN();
