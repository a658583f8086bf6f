// The sweep window: the ways in, its table against voranth-calc's CSV of the same files, the
// cursor filling the main window, export, Cancel and a file that cannot be read.

#include "ui/sweep_window/sweep_window.h"

#include <QAction>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "calc/calculate_texts.h"
#include "calc/result_format.h"
#include "platform/number_format.h"
#include "ui/main_window/main_window.h"
#include "ui/sweep_window/measured_data.h"
#include "ui/sweep_window/open_dialog.h"
#include "ui/sweep_window/side_text.h"
#include "ui/sweep_window/svg_view.h"
#include "ui/sweep_window/sweep_table_model.h"

namespace {

void Write(const QString& path, const std::string& text) {
  std::ofstream(path.toStdString(), std::ios::binary) << text;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// Splits a CSV line (the warning, last, may be quoted).
QStringList Fields(const QString& line) {
  const int quote = line.indexOf(QLatin1Char('"'));
  QStringList fields = (quote < 0 ? line : line.left(quote)).split(QLatin1Char(','));
  if (quote >= 0)
    fields.last() = line.mid(quote + 1, line.size() - quote - 2).replace("\"\"", "\"");
  return fields;
}

}  // namespace

class SweepWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void commandLine_data();
  void commandLine();
  void dialogAndDrop();
  void dropOnMainWindow();
  void tableMatchesVoranthCalc();
  void cursorFillsMainWindow();
  void exportIsWholeAndSparesInputs();
  void badFileChangesNothing();
  void cancelKeepsWhatWasShown();

 private:
  // Opens `request` in `window` and waits until it is shown (or refused).
  bool Load(ui::SweepWindow& window, const ui::SweepRequest& request);
  QString VoranthCalcCsv(const QStringList& args);

  QTemporaryDir dir_;
  QString source_, load_, big_;
};

void SweepWindowTest::initTestCase() {
  QVERIFY(dir_.isValid());
  source_ = dir_.filePath("amp.s2p");
  load_ = dir_.filePath("dut.s1p");
  // The load's second point is an open circuit (|Γ| = 1 at 0°): its row cannot be computed. The
  // grids differ, so the load is interpolated at 1.5 GHz.
  Write(source_,
        "# GHz S MA R 50\n"
        "1 0.1 0 0.9 -10 0.01 0 0.5 30\n"
        "1.5 0.1 0 0.9 -10 0.01 0 0.45 60\n"
        "2 0.1 0 0.9 -20 0.01 0 0.4 90\n"
        "3 0.1 0 0.9 -30 0.01 0 0.3 -120\n");
  Write(load_,
        "# GHz S RI R 50\n"
        "1 0.2 0.1\n"
        "2 1 0\n"
        "3 -0.25 0.5\n");
  big_ = dir_.filePath("big.s1p");
  std::string big = "# Hz S RI R 50\n";
  for (int i = 1; i <= 300000; ++i) big += std::to_string(i) + " 0.1 0.2\n";
  Write(big_, big);
}

bool SweepWindowTest::Load(ui::SweepWindow& window, const ui::SweepRequest& request) {
  QSignalSpy loaded(&window, &ui::SweepWindow::loaded);
  QSignalSpy failed(&window, &ui::SweepWindow::loadFailed);
  window.open(request);
  return QTest::qWaitFor([&] { return !loaded.isEmpty() || !failed.isEmpty(); }, 20000) &&
         !loaded.isEmpty();
}

QString SweepWindowTest::VoranthCalcCsv(const QStringList& args) {
  const QString out = dir_.filePath("calc.csv");
  QFile::remove(out);
  QProcess::execute(QStringLiteral(VORANTH_CALC), args + QStringList{"--csv", out});
  return out;
}

void SweepWindowTest::commandLine_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QString>("name");  // the request's name, or the start of the message
  QTest::newRow("two files") << QStringList{"--source", "a.s2p:22", "--load", "b.s1p:11"}
                             << "a.s2p:22 \u2192 b.s1p:11";
  QTest::newRow("a fixed load, a VSWR") << QStringList{"--source=a.s2p:22", "--load", "VSWR 1.5@0"}
                                        << "a.s2p:22 \u2192 0.2 \u2220 0\u00b0";
  QTest::newRow("turned round") << QStringList{"--source",   "0.5@30",    "--load",
                                               "b.s4p:D1,3", "--through", "c.s2p:21"}
                                << "0.5 \u2220 30\u00b0 \u2192 b.s4p:D1,3 through c.s2p:21";
  QTest::newRow("a fixed two-port")
      << QStringList{"--source", "a.s2p:22",  "--load",
                     "b.s1p:11", "--through", "0.1@0 0.9@-40 0.9@-40 0.1@0"}
      << "a.s2p:22 \u2192 b.s1p:11 through a fixed two-port";
  QTest::newRow("no file") << QStringList{"--source", "0.5@30", "--load", "0.1@0"}
                           << "a sweep needs a Touchstone file";
  QTest::newRow("no load") << QStringList{"--source", "a.s2p:22"} << "both --source";
  QTest::newRow("unknown") << QStringList{"--z0", "50"} << "unknown option \"--z0\"";
  QTest::newRow("twice") << QStringList{"--load", "b.s1p:11", "--load", "b.s1p:11"}
                         << "--load is given twice";
  QTest::newRow("no number") << QStringList{"--source", "a.s2p:22", "--load", "x@0"}
                             << "--load \"x@0\":";
}

void SweepWindowTest::commandLine() {
  QFETCH(QStringList, args);
  QFETCH(QString, name);
  std::vector<std::string> list;
  for (const QString& a : args) list.push_back(a.toStdString());
  try {
    const auto request = app::SweepFromArguments(list);
    QVERIFY(request.has_value());
    QCOMPARE(QString::fromStdString(ui::RequestName(*request)), name);
  } catch (const ui::SideError& error) {
    QVERIFY2(QString::fromStdString(error.what()).startsWith(name), error.what());
  }
  QVERIFY(!app::SweepFromArguments({}).has_value());
}

void SweepWindowTest::dialogAndDrop() {
  for (const auto& [file, touchstone] : {std::pair{"a.s2p", true},
                                         {"B.S12P", true},
                                         {"c.ts", true},
                                         {"d.csv", false},
                                         {"s2p", false}}) {
    QCOMPARE(ui::MeasuredData::IsTouchstoneName(QString::fromLatin1(file)), touchstone);
  }
  ui::MainWindow main;
  auto* measured = new ui::MeasuredData(&main);
  QVERIFY(main.actions().contains(measured->openAction()));
  QCOMPARE(measured->openAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));

  // Dropped files fill the dialog: the first the source, the second the load.
  ui::OpenDialog::MainWindowSides sides{[] { return ui::SweepSide{}; },
                                        [] { return ui::FixedSide(0.5, 30); }, "0 \u2220 0",
                                        "0.5 \u2220 30"};
  ui::OpenDialog dialog(sides);
  dialog.setFiles({source_});
  dialog.accept();
  QVERIFY(dialog.request().has_value());
  QCOMPARE(QString::fromStdString(ui::RequestName(*dialog.request())),
           source_ + ":22 \u2192 0.5 \u2220 30\u00b0");
  QCOMPARE(ui::OpenDialog::recentFiles().value(0), source_);
}

// Files dropped on the main window open the dialog with the Touchstone ones filled in (the
// first the source, the second the load); accepting it opens their sweep beside the window.
void SweepWindowTest::dropOnMainWindow() {
  ui::MainWindow main;
  auto* measured = new ui::MeasuredData(&main);
  main.show();
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(source_),
                QUrl::fromLocalFile(QDir::temp().filePath("notes.csv")),
                QUrl::fromLocalFile(load_)});
  QString seen;
  QTimer poll;  // the dialog is modal: it is answered from within its own event loop
  connect(&poll, &QTimer::timeout, this, [&seen] {
    if (auto* dialog = qobject_cast<ui::OpenDialog*>(QApplication::activeModalWidget())) {
      dialog->accept();
      seen = dialog->request() ? QString::fromStdString(ui::RequestName(*dialog->request()))
                               : QStringLiteral("no request");
    }
  });
  poll.start(10);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&main, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&main, &drop);
  QTRY_VERIFY(!seen.isEmpty());
  QCOMPARE(seen, source_ + ":22 \u2192 " + load_ + ":11");
  QTRY_VERIFY(measured->sweepWindow() && measured->sweepWindow()->isVisible());
}

void SweepWindowTest::tableMatchesVoranthCalc() {
  using M = ui::SweepTableModel;
  // A load with a "nan" in it too (an analyser's invalid point): its row names the file's line.
  const QString invalid = dir_.filePath("invalid.s1p");
  Write(invalid, "# GHz S RI R 50\n1 0.2 0.1\n2 nan 0\n3 -0.25 0.5\n");
  for (const QString& load : {invalid, load_}) {
    ui::SweepWindow window;
    QVERIFY(Load(window, app::SweepFromArguments({"--source", source_.toStdString() + ":22",
                                                  "--load", load.toStdString() + ":11"})
                             .value()));
    const QStringList lines =
        QString::fromUtf8(
            Read(VoranthCalcCsv({"--source", source_ + ":22", "--load", load + ":11"})))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const ui::SweepTableModel& model = *window.model();
    QCOMPARE(model.rowCount(), lines.size() - 1);
    const auto polar = [](const QString& m, const QString& a) {
      return m.isEmpty() ? QString() : m + " \u2220 " + a + "\u00b0";
    };
    for (int r = 0; r < model.rowCount(); ++r) {
      const QStringList f = Fields(lines[r + 1]);
      QCOMPARE(model.text(r, M::kFrequency),
               QString::fromStdString(ui::FrequencyText(f[0].toDouble())));
      QCOMPARE(model.text(r, M::kSource), polar(f[1], f[2]));
      QCOMPARE(model.text(r, M::kLoad), polar(f[3], f[4]));
      QCOMPARE(model.text(r, M::kMismatchFactor), f[5]);
      QCOMPARE(model.text(r, M::kWarning), f.last());
      // A long cell's whole text is its tooltip, for a column too narrow for it.
      QCOMPARE(model.data(model.index(r, M::kLoad), Qt::ToolTipRole).toString(),
               model.text(r, M::kLoad));
      if (f[6].isEmpty()) {
        QCOMPARE(model.text(r, M::kMismatchLoss), QString());
        continue;
      }
      QCOMPARE(model.text(r, M::kMismatchLoss),
               QString::fromStdString(platform::FormatNumber(f[6].toDouble(), "###0.00")));
      QCOMPARE(model.text(r, M::kReturnLoss),
               QString::fromStdString(platform::FormatNumber(f[7].toDouble(), "###0.00")));
      const auto z = [](const QString& re, const QString& im) {
        return im.startsWith('-') ? re + " - j" + im.mid(1) : re + " + j" + im;
      };
      QCOMPARE(model.text(r, M::kSourceImpedance), z(f[8], f[9]));
      QCOMPARE(model.text(r, M::kLoadImpedance), z(f[10], f[11]));
    }
  }
  ui::SweepWindow window;
  QVERIFY(Load(window, app::SweepFromArguments({"--source", source_.toStdString() + ":22", "--load",
                                                load_.toStdString() + ":11"})
                           .value()));
  const ui::SweepTableModel& model = *window.model();
  // The failed row's warning, and each cell speaking its frequency first.
  QVERIFY(model.text(2, M::kWarning).contains("Division by zero"));
  QCOMPARE(model.data(model.index(1, M::kMismatchLoss), Qt::AccessibleTextRole).toString(),
           "1.5 GHz, ML (dB) " + model.text(1, M::kMismatchLoss));
  QVERIFY2(window.summary().contains("1 point cannot be computed in full, at 2 GHz"),
           qPrintable(window.summary()));
}

void SweepWindowTest::cursorFillsMainWindow() {
  ui::MainWindow main;
  main.setErrorReporter([](QWidget*, const QString& message) { QFAIL(qPrintable(message)); });
  ui::MeasuredData measured(&main);
  measured.openSweep(app::SweepFromArguments({"--source", source_.toStdString() + ":22", "--load",
                                              load_.toStdString() + ":11"})
                         .value());
  ui::SweepWindow& window = *measured.sweepWindow();
  QVERIFY(QTest::qWaitFor([&] { return window.sweep() != nullptr; }, 20000));
  const auto box = [&](const char* name) {
    return main.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
  };
  // The arrow key moves the cursor to the second row, interpolated: its numbers at full
  // precision in the boxes, and the main window's results those of the row.
  window.table()->setFocus();
  QTest::keyClick(window.table(), Qt::Key_Down);
  QCOMPARE(window.cursorRow(), 1);
  const sweep::SweepRow row = window.sweep()->Row(1);
  QCOMPARE(box("Text13"), "50");
  QCOMPARE(box("Text3"), QString::fromStdString(platform::Shortest(row.load_magnitude)));
  QCOMPARE(box("Text4"), QString::fromStdString(platform::Shortest(row.load_angle_deg)));
  const calc::ResultTexts texts = calc::BoxTexts(calc::ResultsOf(row.result));
  QCOMPARE(box("Text12"), QString::fromStdString(texts[calc::kMismatchLoss]));
  QCOMPARE(box("Text5"), QString::fromStdString(texts[calc::kSourceResistance]));
  // A row that cannot be computed fills the boxes and leaves the results as they were.
  window.setCursorRow(2);
  QCOMPARE(box("Text3"), "1");
  QCOMPARE(box("Text12"), QString::fromStdString(texts[calc::kMismatchLoss]));
  // A click on the plot moves the cursor to the nearest frequency.
  window.plot()->resize(600, 400);
  QTest::mouseClick(window.plot(), Qt::LeftButton, {}, QPoint(590, 200));
  QCOMPARE(window.cursorRow(), 3);
}

void SweepWindowTest::exportIsWholeAndSparesInputs() {
  ui::SweepWindow window;
  QStringList warnings;
  window.setReporter([&](QWidget*, const QString& message) { warnings << message; });
  const QStringList args{"--source", source_ + ":22", "--load", load_ + ":11"};
  QVERIFY(Load(window, app::SweepFromArguments({"--source", source_.toStdString() + ":22", "--load",
                                                load_.toStdString() + ":11"})
                           .value()));
  const QString csv = dir_.filePath("table.csv");
  QVERIFY(window.exportTable(csv));
  QCOMPARE(Read(csv), Read(VoranthCalcCsv(args)));
  // Over an input: refused, the input as it was.
  const QByteArray before = Read(load_);
  QVERIFY(!window.exportTable(load_));
  QVERIFY(!window.exportPicture(window.plot(), dir_.filePath("./amp.s2p")));
  QCOMPARE(Read(load_), before);
  QCOMPARE(warnings.size(), 2);
  QVERIFY(warnings[0].contains("input file"));
  for (const char* name : {"plot.svg", "plot.png"}) {
    QVERIFY(window.exportPicture(window.plot(), dir_.filePath(name)));
  }
  QVERIFY(Read(dir_.filePath("plot.svg")).contains("<svg"));
  QVERIFY(Read(dir_.filePath("plot.png")).startsWith("\x89PNG"));
  // On a dark scheme the pictures are shown on its ground, and exported in a document's colours.
  QPalette dark = window.palette();
  dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
  window.setPalette(dark);
  for (const ui::SvgView* picture : {window.plot(), window.smith()}) {
    QVERIFY(picture->svg().contains("fill=\"#202020\""));
    QVERIFY(window.exportPicture(picture, dir_.filePath("dark.svg")));
    QVERIFY(!Read(dir_.filePath("dark.svg")).contains("#202020"));
  }
}

void SweepWindowTest::badFileChangesNothing() {
  ui::SweepWindow window;
  QStringList warnings;
  window.setReporter([&](QWidget*, const QString& message) { warnings << message; });
  QVERIFY(Load(window, app::SweepFromArguments({"--source", source_.toStdString() + ":22", "--load",
                                                load_.toStdString() + ":11"})
                           .value()));
  const QString bad = dir_.filePath("bad.s1p");
  Write(bad, "# GHz S RI R 50\n1 0.1 0.1\n2 0.1 zero\n");
  const QString title = window.windowTitle();
  QVERIFY(!Load(window, app::SweepFromArguments({"--source", source_.toStdString() + ":22",
                                                 "--load", bad.toStdString() + ":11"})
                            .value()));
  QCOMPARE(warnings.size(), 1);
  // voranth-calc's message, file and line.
  QProcess calc;
  calc.start(QStringLiteral(VORANTH_CALC), {"--source", source_ + ":22", "--load", bad + ":11"});
  calc.waitForFinished();
  QCOMPARE("voranth-calc: " + warnings[0] + "\n",
           QString::fromUtf8(calc.readAllStandardError()).section('\n', 0, 0) + "\n");
  QVERIFY(warnings[0].startsWith(bad + ":3:"));
  QCOMPARE(window.windowTitle(), title);
  QCOMPARE(window.model()->rowCount(), 4);
}

void SweepWindowTest::cancelKeepsWhatWasShown() {
  ui::SweepWindow window;
  QVERIFY(Load(window, app::SweepFromArguments({"--source", source_.toStdString() + ":22", "--load",
                                                load_.toStdString() + ":11"})
                           .value()));
  QSignalSpy failed(&window, &ui::SweepWindow::loadFailed);
  window.open(
      app::SweepFromArguments({"--source", big_.toStdString() + ":11", "--load", "0.5@0"}).value());
  QVERIFY(window.loading());
  window.cancel();
  QCOMPARE(failed.size(), 1);
  QVERIFY(!window.loading());
  QCOMPARE(window.model()->rowCount(), 4);
  // Nothing arrives any more from the reading that was cancelled: the next one is shown.
  QVERIFY(Load(window, app::SweepFromArguments(
                           {"--source", source_.toStdString() + ":22", "--load", "0.5@0"})
                           .value()));
  QCOMPARE(window.model()->rowCount(), 4);
}

QTEST_MAIN(SweepWindowTest)
#include "sweep_window_test.moc"
