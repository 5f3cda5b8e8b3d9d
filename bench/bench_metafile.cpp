// Metafiles: a WMF and an EMF of 10,000 records (polygons, text, a stretched bitmap) drawn at
// 2048 x 2048 by the player, and the WMF converted program to program by our imgtool and by
// ImageMagick's convert (which sizes the picture by its own scan of the drawing: -density 96 gives
// about the same size). The aim is to be faster than convert.
#include "bench/BenchSupport.h"
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

using Points = std::vector<std::pair<int, int>>;

// The drawing, the same in both formats: polygons of six points in their own brushes, words of text,
// ellipses and now and then a bitmap stretched over a large area, until the file holds Records
// records (three are written before). Each shape goes to its writer call: polygon(colour, points),
// text(x, y), bitmap(x, y) of a 300 x 300 area, ellipse(left, top, right, bottom).
template <class Polygon, class Text, class Bitmap, class Ellipse>
void DrawShapes(Polygon polygon, Text text, Bitmap bitmap, Ellipse ellipse) {
    int records = 3;
    std::uint32_t seed = 1;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % std::uint32_t(range));
    };
    for (int i = 0; records < Records; ++i) {
        if (i % 4 < 2) {
            Points points;
            const int x = next(Side), y = next(Side);
            for (int k = 0; k < 6; ++k)
                points.emplace_back(x + next(200) - 100, y + next(200) - 100);
            polygon(Colour(i), points);
            records += 4;
        } else if (i % 4 == 2) {
            text(next(Side), next(Side));
            ++records;
        } else if (i % 40 == 3) {
            bitmap(next(Side - 300), next(Side - 300));
            ++records;
        } else {
            const int x = next(Side), y = next(Side);
            ellipse(x, y, x + next(150) + 10, y + next(150) + 10);
            ++records;
        }
    }
}

QByteArray BenchWmf() {
    metatest::WmfWriter w(0, 0, Side, Side, 96);
    const QByteArray dib = metatest::Dib24(8, 8, Checker());
    w.CreateFont(-24).Select(0).SetBkMode(1);
    DrawShapes([&](std::uint32_t colour,
                   const Points& points) { w.CreateBrush(0, colour).Select(1).Polygon(points).Delete(1); },
               [&](int x, int y) { w.TextOut(x, y, "Knit 1, purl 1"); },
               [&](int x, int y) { w.DibStretchBlt(x, y, 300, 300, 0, 0, 8, 8, dib); },
               [&](int l, int t, int r, int b) { w.Ellipse(l, t, r, b); });
    return w.Data();
}

QByteArray BenchEmf() {
    metatest::EmfWriter w(Side, Side);
    const QByteArray dib = metatest::Dib24(8, 8, Checker());
    w.CreateFont(1, -24).Select(1).SetBkMode(1);
    DrawShapes(
        [&](std::uint32_t colour, const Points& points) {
            w.CreateBrush(2, 0, colour).Select(2).Polygon16(points).Delete(2);
        },
        [&](int x, int y) { w.TextOutW(x, y, QStringLiteral("Knit 1, purl 1")); },
        [&](int x, int y) { w.StretchDIBits(x, y, 300, 300, dib); },
        [&](int l, int t, int r, int b) { w.Ellipse(l, t, r, b); });
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

// Program to program: the WMF read and the picture written as PPM.
void BM_ConvertWmfToPpm(benchmark::State& state) {
    bench::RunProgram(state, QStringLiteral("/usr/bin/convert"),
                      QStringLiteral("-density 96 ") + Shared().wmf + QLatin1Char(' ') +
                          Shared().dir.filePath(QStringLiteral("im.ppm")));
}
BENCHMARK(BM_ConvertWmfToPpm)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef KDS_IMGTOOL
void BM_ImgtoolWmfToPpm(benchmark::State& state) {
    bench::RunProgram(state, QStringLiteral(KDS_IMGTOOL),
                      QStringLiteral("convert ") + Shared().wmf + QLatin1Char(' ') +
                          Shared().dir.filePath(QStringLiteral("tool.ppm")) +
                          QStringLiteral(" --size 2048x2048"));
}
BENCHMARK(BM_ImgtoolWmfToPpm)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
