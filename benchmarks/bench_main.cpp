// How long the picker takes for what a user does most: dragging a scroll bar's
// thumb refreshes the whole display on every step.
#include "picker/main.h"
#include "shell/application.h"

#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

void BM_CreateMainWindow(benchmark::State &state)
{
    for (auto _ : state) {
        Application::createForm(VND_MAIN);
        Application::destroyForm(VND_MAIN);
    }
}
BENCHMARK(BM_CreateMainWindow)->Unit(benchmark::kMicrosecond);

// One step of a thumb drag: a new position, then the refresh it sets off.
void BM_DragStep(benchmark::State &state)
{
    Application::createForm(VND_MAIN);
    auto *bar = VND_MAIN->findChild<QScrollBar *>(QStringLiteral("SC_G"));
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % 256;
        bar->setValue(position);
    }
    Application::destroyForm(VND_MAIN);
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

// The same step with the window on screen, paint events included.
void BM_DragStepShown(benchmark::State &state)
{
    Application::createForm(VND_MAIN);
    VND_MAIN->show();
    QApplication::processEvents();
    auto *bar = VND_MAIN->findChild<QScrollBar *>(QStringLiteral("SC_G"));
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % 256;
        bar->setValue(position);
        QApplication::processEvents();
    }
    Application::destroyForm(VND_MAIN);
}
BENCHMARK(BM_DragStepShown)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Application::setTitle(Application::defaultTitle());
    Application::installFont();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
