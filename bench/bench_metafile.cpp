// Metafiles: a WMF and an EMF of 10,000 records (polygons, text, a stretched bitmap) drawn at
// 2048 x 2048 by the player, and the WMF converted program to program by our imgtool and by
// ImageMagick's convert (which sizes the picture by its own scan of the drawing: -density 96 gives
// about the same size). The aim is to be faster than convert.
#include "imaging/Metafile.h"
#include "tests/imaging/MetaWriter.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int Side = 2048;
constexpr int Records = 10000;

std::uint32_t Colour(int i) {
    return std::uint32_t((i * 2654435761u) & 0xFFFFFF);
}

std::vector<std::uint32_t> Checker() {
    std::vector<std::uint32_t> pixels;
    for (int i = 0; i < 64; ++i)
        pixels.push_back((i / 8 + i % 8) % 2 ? 0x2040E0 : 0xE0C020);
    return pixels;
}

// Polygons of six points in their own brushes, words of text, ellipses and now and then a bitmap
// stretched over a large area.
QByteArray BenchWmf() {
    metatest::WmfWriter w(0, 0, Side, Side, 96);
    const QByteArray dib = metatest::Dib24(8, 8, Checker());
    w.CreateFont(-24).Select(0).SetBkMode(1);
    int records = 3;
    std::uint32_t seed = 1;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % std::uint32_t(range));
    };
    for (int i = 0; records < Records; ++i) {
        if (i % 4 < 2) {
            std::vector<std::pair<int, int>> points;
            const int x = next(Side), y = next(Side);
            for (int k = 0; k < 6; ++k)
                points.emplace_back(x + next(200) - 100, y + next(200) - 100);
            w.CreateBrush(0, Colour(i)).Select(1).Polygon(points).Delete(1);
            records += 4;
        } else if (i % 4 == 2) {
            w.TextOut(next(Side), next(Side), "Knit 1, purl 1");
            ++records;
        } else if (i % 40 == 3) {
            w.DibStretchBlt(next(Side - 300), next(Side - 300), 300, 300, 0, 0, 8, 8, dib);
            ++records;
        } else {
            const int x = next(Side), y = next(Side);
            w.Ellipse(x, y, x + next(150) + 10, y + next(150) + 10);
            ++records;
        }
    }
    return w.Data();
}

QByteArray BenchEmf() {
    metatest::EmfWriter w(Side, Side);
    const QByteArray dib = metatest::Dib24(8, 8, Checker());
    w.CreateFont(1, -24).Select(1).SetBkMode(1);
    int records = 3;
    std::uint32_t seed = 1;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % std::uint32_t(range));
    };
    for (int i = 0; records < Records; ++i) {
        if (i % 4 < 2) {
            std::vector<std::pair<int, int>> points;
            const int x = next(Side), y = next(Side);
            for (int k = 0; k < 6; ++k)
                points.emplace_back(x + next(200) - 100, y + next(200) - 100);
            w.CreateBrush(2, 0, Colour(i)).Select(2).Polygon16(points).Delete(2);
            records += 4;
        } else if (i % 4 == 2) {
            w.TextOutW(next(Side), next(Side), QStringLiteral("Knit 1, purl 1"));
            ++records;
        } else if (i % 40 == 3) {
            w.StretchDIBits(next(Side - 300), next(Side - 300), 300, 300, dib);
            ++records;
        } else {
            const int x = next(Side), y = next(Side);
            w.Ellipse(x, y, x + next(150) + 10, y + next(150) + 10);
            ++records;
        }
    }
    return w.Data();
}

void Draw(benchmark::State& state, const QByteArray& data) {
    TMetafile metafile;
    metafile.LoadFromData(data);
    state.counters["records"] = metafile.RecordCount();
    TBitmap picture(Side, Side, pf24bit);
    for (auto _ : state) {
        std::memset(picture.Bits(), 255, picture.ImageSize());
        metafile.Draw(picture, QRect(0, 0, Side, Side));
    }
}

void BM_DrawWmf(benchmark::State& state) {
    Draw(state, BenchWmf());
}
void BM_DrawEmf(benchmark::State& state) {
    Draw(state, BenchEmf());
}
BENCHMARK(BM_DrawWmf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawEmf)->Unit(benchmark::kMillisecond);

struct Files {
    QTemporaryDir dir;
    QString wmf = dir.filePath(QStringLiteral("bench.wmf"));
    Files() {
        QFile f(wmf);
        if (f.open(QIODevice::WriteOnly))
            f.write(BenchWmf());
    }
};

Files& Shared() {
    static Files files;
    return files;
}

void Run(benchmark::State& state, const QString& program, const QString& arguments) {
    if (!QFile::exists(program)) {
        state.SkipWithError("program not installed");
        return;
    }
    const QByteArray command = (program + QLatin1Char(' ') + arguments).toLocal8Bit();
    for (auto _ : state)
        if (std::system(command.constData()) != 0) {
            state.SkipWithError("program failed");
            break;
        }
}

// Program to program: the WMF read and the picture written as PPM.
void BM_ConvertWmfToPpm(benchmark::State& state) {
    Run(state, QStringLiteral("/usr/bin/convert"),
        QStringLiteral("-density 96 ") + Shared().wmf + QLatin1Char(' ') +
            Shared().dir.filePath(QStringLiteral("im.ppm")));
}
BENCHMARK(BM_ConvertWmfToPpm)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef KDS_IMGTOOL
void BM_ImgtoolWmfToPpm(benchmark::State& state) {
    Run(state, QStringLiteral(KDS_IMGTOOL),
        QStringLiteral("convert ") + Shared().wmf + QLatin1Char(' ') +
            Shared().dir.filePath(QStringLiteral("tool.ppm")) + QStringLiteral(" --size 2048x2048"));
}
BENCHMARK(BM_ImgtoolWmfToPpm)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
