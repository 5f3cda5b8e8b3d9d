// The drawing tools on a 2000 x 1000-cell board in a 1600 x 1000-pixel window, offscreen: one pencil
// stroke of 200 mouse moves at zoom 1 and at zoom 8 with the grid, as time per move (the stroke into
// the raster and the repaint of the touched cells; the aim is below 20 ms); a flood fill of the
// whole one-colour picture beside ImageMagick's convert filling the same picture as a file
// (`convert IN -fill '#0000ff' -draw 'color 0,0 floodfill' OUT`, its time including file I/O); and
// one Undo of the whole picture.
#include "app/BusCodes.h"
#include "app/LGraphicWindow.h"
#include "bench/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

TBitmap OneColour(TColor Colour) {
    TBitmap b(2000, 1000, pf24bit);
    for (int y = 0; y < b.Height(); ++y) {
        std::uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x)
            PutCellColor(row + 3 * x, Colour);
    }
    return b;
}

// Counts the paint events a window receives.
struct PaintCounter : QObject {
    long Paints = 0;
    bool eventFilter(QObject*, QEvent* Event) override {
        Paints += Event->type() == QEvent::Paint;
        return false;
    }
};

struct Board {
    Board(int Zoom, bool Grid) {
        window.installEventFilter(&paints);
        window.resize(1600, 1000);
        window.SetRaster(OneColour(0xFFFFFF));
        window.SetGridFlag(Grid);
        window.SetPAmpFac(Zoom);
        window.show();
        QApplication::processEvents();
    }
    void Send(QEvent::Type Type, QPoint At, Qt::MouseButton Button, Qt::MouseButtons Held) {
        QMouseEvent e(Type, At, window.mapToGlobal(At), Button, Held, Qt::NoModifier);
        QApplication::sendEvent(&window, &e);
    }
    TGraphicWindow window;
    PaintCounter paints;
};

// One stroke: a press, 200 moves along a zigzag inside the view, each to new cells and followed by
// the repaint of what it touched, and the release. Reported per move.
void Stroke(benchmark::State& state, int Zoom, bool Grid) {
    Board b(Zoom, Grid);
    b.window.SetTool(bus::ToolPen);
    b.window.PenColor = 0x0000FF;
    const QRect v = b.window.ViewQRect();
    const int cs = b.window.CellSize();
    const QPoint start = v.topLeft() + QPoint(20 * cs, 20 * cs);
    double total = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        b.Send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        QPoint at = start;
        for (int i = 0; i < 200; ++i) {
            // Two cells across and one up or down: every move reaches new cells.
            at += QPoint((i / 40) % 2 ? -2 * cs : 2 * cs, (i / 10) % 2 ? -cs : cs);
            b.Send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
            QApplication::processEvents(); // paints only the region the move invalidated
        }
        b.Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    }
    state.counters["ms_per_move"] = total / (200.0 * double(state.iterations()));
    // Each move paints what it touched: one paint per move shows the stroke is really drawn.
    state.counters["paints_per_move"] = double(b.paints.Paints) / (200.0 * double(state.iterations()));
}

void BM_PencilStrokeZoom1(benchmark::State& state) {
    Stroke(state, 1, false);
}

void BM_PencilStrokeZoom8Grid(benchmark::State& state) {
    Stroke(state, 8, true);
}

// The whole picture is one area; it flips between two colours so each fill has work to do.
void BM_FloodFill(benchmark::State& state) {
    Board b(1, false);
    bool red = true;
    for (auto _ : state) {
        b.window.PenColor = red ? 0x0000FF : 0xFFFFFF;
        b.window.FloodFillAt(0, 0);
        red = !red;
    }
}

void BM_FloodFillImageMagick(benchmark::State& state) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.bmp")), out = dir.filePath(QStringLiteral("out.bmp"));
    QImage white(2000, 1000, QImage::Format_RGB888);
    white.fill(Qt::white);
    white.save(in);
    bench::RunProgram(state, QStringLiteral("/usr/bin/convert"),
                      in + QStringLiteral(" -fill '#0000ff' -draw 'color 0,0 floodfill' ") + out);
}

// SaveUndo's copy is taken outside the timing; the Undo puts it back and repaints the whole view.
void BM_Undo(benchmark::State& state) {
    Board b(1, false);
    for (auto _ : state) {
        state.PauseTiming();
        b.window.SaveUndo();
        state.ResumeTiming();
        b.window.Undo();
        b.window.repaint();
    }
}

BENCHMARK(BM_PencilStrokeZoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PencilStrokeZoom8Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloodFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloodFillImageMagick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::RunBenchmarks(argc, argv);
}
