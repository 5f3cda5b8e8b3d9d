// The field-help hint: measuring and painting a balloon over a cell whose field help has 30 lines
// with colour markers, as the hint window does each time it shows (the wake-up delay is 50 ms).
#include "bench/BenchSupport.h"
#include "editors/MRHints.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {
QString ThirtyLineHelp() {
    QString text = QStringLiteral("Pattern line of the front bed\n\r@S@");
    for (int i = 0; i < 30; ++i)
        text += QStringLiteral("Line %1: stitch length @1@%2@0@ carriers @2@%3@0@\n")
                    .arg(i)
                    .arg(10 + i)
                    .arg(i % 8 + 1);
    return text;
}

void BM_MeasureAndPaintHint(benchmark::State& State) {
    InstallHintWindow(1, 10, 1, 1);
    MRHintWindow* hint = ApplicationHintWindow();
    hint->TextDirection = 1;
    const QString text = ThirtyLineHelp();
    for (auto _ : State) {
        hint->MeasureHint(1920, text);
        const QImage image = hint->Render();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_MeasureAndPaintHint)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv) {
    return bench::RunBenchmarksOffscreen<QApplication>(argc, argv);
}
