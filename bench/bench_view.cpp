// The image view: one repaint of a 1280 x 1024 view of a 4096 x 4096 picture at zooms 25, 100 and
// 400, and at 400 with the Lanczos smooth zoom, offscreen. The aim is below 16 ms per repaint
// without smooth zoom.
#include "bench/BenchSupport.h"
#include "imaging/ImageView.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

TBitmap& Picture() {
    static TBitmap bmp = [] {
        TBitmap b(4096, 4096, pf24bit);
        for (int y = 0; y < b.Height(); ++y) {
            std::uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < b.Width(); ++x) {
                row[3 * x] = std::uint8_t(x ^ y);
                row[3 * x + 1] = std::uint8_t((x / 16) * 7);
                row[3 * x + 2] = std::uint8_t((y / 16) * 5);
            }
        }
        return b;
    }();
    return bmp;
}

void Repaint(benchmark::State& state, int zoom, TResampleFilter filter) {
    TImageView view;
    view.SetBorderStyle(TImgViewBase::bsNone);
    view.resize(1280, 1024);
    view.Assign(&Picture());
    view.show();
    QApplication::processEvents();
    view.SetZoomFilter(filter);
    view.SetZoom(zoom);
    view.SetViewXY(view.MaxView().x() / 2, view.MaxView().y() / 2);
    QApplication::processEvents();
    for (auto _ : state)
        view.viewport()->repaint();
}

void BM_ViewRepaintZoom25(benchmark::State& state) {
    Repaint(state, 25, rfNone);
}
void BM_ViewRepaintZoom100(benchmark::State& state) {
    Repaint(state, 100, rfNone);
}
void BM_ViewRepaintZoom400(benchmark::State& state) {
    Repaint(state, 400, rfNone);
}
void BM_ViewRepaintZoom400Lanczos3(benchmark::State& state) {
    Repaint(state, 400, rfLanczos3);
}
BENCHMARK(BM_ViewRepaintZoom25)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewRepaintZoom100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewRepaintZoom400)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewRepaintZoom400Lanczos3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
