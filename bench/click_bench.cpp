// One Calculate click on the real main window: from the mouse press on Calculate to the eight
// result boxes written. Runs on the offscreen platform unless another is chosen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/main_window/main_window.h"

namespace {

ui::MainWindow* window = nullptr;

void SetInputs(const char* z0, const char* m1, const char* a1, const char* m2, const char* a2) {
  const char* names[] = {"Text13", "Text1", "Text2", "Text3", "Text4"};
  const char* values[] = {z0, m1, a1, m2, a2};
  for (int i = 0; i < 5; ++i) window->findChild<QLineEdit*>(names[i])->setText(values[i]);
}

void BM_CalculateClick(benchmark::State& state) {
  SetInputs("50", "0.5", "30", "0.2", "90");
  auto* button = window->findChild<QPushButton*>("Command1");
  auto* last = window->findChild<QLineEdit*>("Text15");
  for (auto _ : state) {
    last->clear();
    QTest::mouseClick(button, Qt::LeftButton);
    if (last->text().isEmpty()) state.SkipWithError("the click wrote no results");
  }
}
BENCHMARK(BM_CalculateClick);

// A click whose results all change: the inputs alternate between two sets.
void BM_CalculateClickNewResults(benchmark::State& state) {
  SetInputs("50", "0.5", "30", "0.2", "90");
  auto* button = window->findChild<QPushButton*>("Command1");
  auto* magnitude = window->findChild<QLineEdit*>("Text1");
  auto* last = window->findChild<QLineEdit*>("Text5");
  const QString magnitudes[] = {QStringLiteral("0.5"), QStringLiteral("0.6")};
  QString previous;
  int i = 0;
  for (auto _ : state) {
    magnitude->setText(magnitudes[i]);
    i ^= 1;
    QTest::mouseClick(button, Qt::LeftButton);
    if (last->text() == previous) state.SkipWithError("the click changed no result");
    previous = last->text();
  }
}
BENCHMARK(BM_CalculateClickNewResults);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::MainWindow main_window;
  main_window.show();
  window = &main_window;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
