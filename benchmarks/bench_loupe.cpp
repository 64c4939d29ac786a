// How long the loupe takes to follow the pointer by one step while a colour is picked
// from the screen: read the screen pixels around the pointer, move beside it and draw
// itself again. On a real X server (scripts/bench starts Xvfb), at the scale given by
// QT_SCALE_FACTOR.
#include "picker/loupe.h"
#include "shell/application.h"
#include "shell/screenpixels.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_LoupeStep(benchmark::State &state)
{
    if (!ScreenPixels::available()) {
        state.SkipWithError("no X server");
        return;
    }
    Loupe loupe;
    loupe.showAround(QPoint(200, 300));
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 400;
        loupe.showAround(QPoint(200 + step, 300 + step % 7));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_LoupeStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    Application::installFont();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
