// The file list filled with 20,000 rows, with and without its columns fitted to their texts
// afterwards: what the fitting adds to showing a big folder. Run with QT_QPA_PLATFORM=offscreen
// where there is no display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include "player/search/fitted_columns.h"

namespace {

constexpr int kRows = 20000;
constexpr int kLeast[] = {80, 100, 20, 50, 500};

QList<QTreeWidgetItem*> Rows() {
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < kRows; ++i)
        rows.push_back(new QTreeWidgetItem(
            {QStringLiteral("Gate"),
             QStringLiteral("26-%1-%2 09:59:%3").arg(1 + i % 12).arg(1 + i % 28).arg(i % 60),
             QString::number(1 + i % 16), QStringLiteral("door"),
             QStringLiteral("Gate,26%1_095952,%2,door.jpg").arg(i).arg(1 + i % 16)}));
    return rows;
}

// The widgets need an application; the benchmark library's own main makes none.
void NeedApplication() {
    static int argc = 1;
    static char name[] = "bench_player_file_list";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

void Fill(benchmark::State& state, bool fit) {
    NeedApplication();
    QTreeWidget list;
    list.setColumnCount(5);
    list.resize(292, 306);
    list.show();
    for (auto _ : state) {
        state.PauseTiming();
        list.clear();
        const QList<QTreeWidgetItem*> rows = Rows();
        state.ResumeTiming();
        list.addTopLevelItems(rows);
        if (fit) player::FitColumnsToTexts(&list, kLeast);
        QApplication::processEvents();
    }
}

void BM_FillFileList(benchmark::State& state) {
    Fill(state, false);
}
BENCHMARK(BM_FillFileList)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_FillAndFitFileList(benchmark::State& state) {
    Fill(state, true);
}
BENCHMARK(BM_FillAndFitFileList)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
