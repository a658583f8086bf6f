// The Calculate button: the eight result texts for the notable inputs, and what the user sees
// when the inputs cannot be computed with.
#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <cmath>
#include <memory>

#include "ui/common/fonts.h"
#include "ui/details_window/details_window.h"
#include "ui/main_window/announcer.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/text_box.h"

using namespace Qt::StringLiterals;

namespace {

// The input boxes in reading order, the result boxes in the order their texts are listed below.
const char* const kInputs[] = {"Text13", "Text1", "Text2", "Text3", "Text4"};
const char* const kResults[] = {"Text11", "Text12", "Text5", "Text6",
                                "Text14", "Text7",  "Text8", "Text15"};

}  // namespace

class CalculateActionTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void click_data();
  void click();
  void errorLeavesEverythingAsItWas_data();
  void errorLeavesEverythingAsItWas();
  void defaultReporterShowsAModalWarning();
  void clicksKeepNothing();
  void longResultsAreMarkedAndOfferedWhole();
  void noLengthLimit();
  void copyAllResultsAndFigures();
  void copyAsTable();
  void tooltipsWrapAtReadableWidth();
  void detailsWindow();
  void announcedResultsNeverGoStale();
  void noPowerReachesTheLoad();

 private:
  ui::TextBox* box(const char* name) const {
    return window_->findChild<ui::TextBox*>(QString::fromLatin1(name));
  }
  void setInputs(const QStringList& inputs) {
    for (int i = 0; i < 5; ++i) box(kInputs[i])->setText(inputs[i]);
  }
  QStringList inputs() const {
    QStringList texts;
    for (const char* name : kInputs) texts << box(name)->text();
    return texts;
  }
  QStringList results() const {
    QStringList texts;
    for (const char* name : kResults) texts << box(name)->text();
    return texts;
  }
  // The tooltip as it is shown when the pointer rests on the box.
  static QString tooltip(ui::TextBox* box) {
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), box->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(box, &event);
    QToolTip::hideText();
    return box->toolTip();
  }
  void clickCalculate() {
    QTest::mouseClick(window_->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  }

  std::unique_ptr<ui::MainWindow> window_;
  QStringList reports_;
};

void CalculateActionTest::init() {
  window_ = std::make_unique<ui::MainWindow>();
  reports_.clear();
  window_->setErrorReporter([this](QWidget* parent, const QString& message) {
    QCOMPARE(parent, window_.get());
    reports_ << message;
  });
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void CalculateActionTest::cleanup() {
  window_.reset();
}

void CalculateActionTest::click_data() {
  QTest::addColumn<QStringList>("inputs");    // Text13, Text1, Text2, Text3, Text4
  QTest::addColumn<QStringList>("expected");  // Text11, Text12, Text5, Text6, Text14, Text7, ...

  QTest::newRow("design-time inputs")
      << QStringList{"50", "0", "0", "0", "0"}
      << QStringList{">100", "0.00", "50.0", "0.0", "+", "50.0", "0.0", "+"};
  QTest::newRow("0.5 at 0") << QStringList{"50", "0.5", "0", "0", "0"}
                            << QStringList{"6.02", "1.25", "150.0", "0.0", "+", "50.0", "0.0", "+"};
  QTest::newRow("0.5 at 90") << QStringList{"50", "0.5", "90", "0", "0"}
                             << QStringList{"6.02", "1.25", "30.0", "40.0",
                                            "+",    "50.0", "0.0",  "+"};
  QTest::newRow("VSWR 3:1 at 90°")
      << QStringList{"50", "3:1", "90°", "0", "0"}
      << QStringList{"6.02", "1.25", "30.0", "40.0", "+", "50.0", "0.0", "+"};
  QTest::newRow("0.5 at -90") << QStringList{"50", "0.5", "-90", "0", "0"}
                              << QStringList{"6.02", "1.25", "30.0", "40.0",
                                             "-",    "50.0", "0.0",  "+"};
  // The angle arithmetic leaves a tiny imaginary part whose sign shows beside 0.0.
  QTest::newRow("0.5 at 180") << QStringList{"50", "0.5", "180", "0", "0"}
                              << QStringList{"6.02", "1.25", "16.7", "0.0",
                                             "+",    "50.0", "0.0",  "+"};
  QTest::newRow("0.5 at -180") << QStringList{"50", "0.5", "-180", "0", "0"}
                               << QStringList{"6.02", "1.25", "16.7", "0.0",
                                              "-",    "50.0", "0.0",  "+"};
  // A mismatch loss that shows as 0.00 but is not zero: the return loss is shown as a number.
  QTest::newRow("load 0.000001") << QStringList{"50", "0", "0", "0.000001", "0"}
                                 << QStringList{"120.00", "0.00", "50.0", "0.0",
                                                "+",      "50.0", "0.0",  "+"};
  QTest::newRow("conjugate 0.3 at 45 and -45")
      << QStringList{"50", "0.3", "45", "0.3", "-45"}
      << QStringList{">100", "0.00", "68.3", "31.9", "+", "68.3", "31.9", "-"};
  // Total reflection: no power reaches the load, the mismatch loss is unbounded.
  QTest::newRow("1 at 90") << QStringList{"50", "1", "90", "0", "0"}
                           << QStringList{"0.00", "\u221e", "0.0", "50.0", "+", "50.0", "0.0", "+"};
  QTest::newRow("short, 0.5 at 0")
      << QStringList{"50", "1", "180", "0.5", "0"}
      << QStringList{"0.00", "\u221e", "0.0", "0.0", "+", "150.0", "0.0", "+"};
  QTest::newRow("2 and 2 at 0") << QStringList{"50", "2", "0", "2", "0"}
                                << QStringList{">100", "0.00",   "-150.0", "0.0",
                                               "-",    "-150.0", "0.0",    "-"};
  QTest::newRow("reference impedance 75")
      << QStringList{"75", "0.2", "30", "0.4", "-60"}
      << QStringList{"11.50", "0.32", "103.8", "21.6", "+", "82.9", "68.4", "-"};
}

void CalculateActionTest::click() {
  QFETCH(QStringList, inputs);
  QFETCH(QStringList, expected);
  setInputs(inputs);
  clickCalculate();
  QCOMPARE(results(), expected);
  QVERIFY(reports_.isEmpty());
  QCOMPARE(this->inputs(), inputs);
  // A long result shows its sign and leading digits.
  for (const char* name : kResults) QCOMPARE(box(name)->cursorPosition(), 0);
}

void CalculateActionTest::errorLeavesEverythingAsItWas_data() {
  QTest::addColumn<QStringList>("inputs");
  QTest::addColumn<QStringList>("words");  // what the message must name
  QTest::addColumn<QString>("focus");      // where the user is led afterwards

  const QStringList valid = {"50", "0.5", "30", "0.2", "90"};
  auto with = [&valid](int index, const QString& text) {
    QStringList inputs = valid;
    inputs[index] = text;
    return inputs;
  };
  QTest::newRow("letters in Text1") << with(1, "abc")
                                    << QStringList{"source reflection coefficient, magnitude",
                                                   "\u201c"
                                                   "abc"
                                                   "\u201d"}
                                    << "Text1";
  QTest::newRow("nothing in Text2")
      << with(2, "") << QStringList{"source reflection coefficient, angle", "empty"} << "Text2";
  QTest::newRow("letters in Text3") << with(3, "x")
                                    << QStringList{"load reflection coefficient, magnitude",
                                                   "\u201c"
                                                   "x"
                                                   "\u201d"}
                                    << "Text3";
  QTest::newRow("unit in Text4") << with(4, "12deg")
                                 << QStringList{"load reflection coefficient, angle",
                                                "\u201c"
                                                "12deg"
                                                "\u201d"}
                                 << "Text4";
  QTest::newRow("blank Text4") << with(4, "  ")
                               << QStringList{"load reflection coefficient, angle", "empty"}
                               << "Text4";
  QTest::newRow("nothing in Text13")
      << with(0, "") << QStringList{"reference impedance", "empty"} << "Text13";
  QTest::newRow("letters in Text13") << with(0, "fifty")
                                     << QStringList{"reference impedance",
                                                    "\u201c"
                                                    "fifty"
                                                    "\u201d"}
                                     << "Text13";
  // Failed computations lead back to Calculate.
  QTest::newRow("source 1 at 0") << QStringList{"50", "1", "0", "0", "0"}
                                 << QStringList{"Division by zero", "source impedance"}
                                 << "Command1";
  QTest::newRow("load 1 at 0") << QStringList{"50", "0", "0", "1", "0"}
                               << QStringList{"Division by zero", "load impedance"} << "Command1";
  QTest::newRow("nearly conjugate 0.3") << QStringList{"50", "0.3", "0", "0.3000000000000001", "0"}
                                        << QStringList{"return loss"} << "Command1";
  // Several faults: the first in reading order is the one reported.
  QTest::newRow("Text1 and Text3 bad") << QStringList{"50", "x", "0", "y", "0"}
                                       << QStringList{"source reflection coefficient, magnitude",
                                                      "\u201c"
                                                      "x"
                                                      "\u201d"}
                                       << "Text1";
  // The reference impedance is read only for the impedances: after the losses, before the
  // division by zero.
  QTest::newRow("Text13 bad and source 1 at 0") << QStringList{"ohm", "1", "0", "0", "0"}
                                                << QStringList{"reference impedance",
                                                               "\u201c"
                                                               "ohm"
                                                               "\u201d"}
                                                << "Text13";
  QTest::newRow("Text13 bad and losses failing")
      << QStringList{"ohm", "0.5", "0", "3", "0"} << QStringList{"mismatch loss"} << "Command1";
}

void CalculateActionTest::errorLeavesEverythingAsItWas() {
  QFETCH(QStringList, inputs);
  QFETCH(QStringList, words);
  QFETCH(QString, focus);

  const QStringList sentinels = {"r11", "r12", "r5", "r6", "r14", "r7", "r8", "r15"};
  for (int i = 0; i < 8; ++i) box(kResults[i])->setText(sentinels[i]);
  setInputs(inputs);

  clickCalculate();

  QCOMPARE(reports_.size(), 1);
  for (const QString& word : words) {
    QVERIFY2(reports_[0].contains(word), qPrintable(reports_[0] + " lacks " + word));
  }
  QCOMPARE(results(), sentinels);
  QCOMPARE(this->inputs(), inputs);
  QWidget* focused = QApplication::focusWidget();
  QVERIFY(focused);
  QCOMPARE(focused->objectName(), focus);
  if (auto* edit = qobject_cast<QLineEdit*>(focused)) {
    QCOMPARE(edit->selectedText(), edit->text());
  }

  // The window carries on: a correct input computes as usual.
  QVERIFY(window_->isVisible());
  setInputs({"50", "0.5", "0", "0", "0"});
  clickCalculate();
  QCOMPARE(reports_.size(), 1);
  QCOMPARE(results(), (QStringList{"6.02", "1.25", "150.0", "0.0", "+", "50.0", "0.0", "+"}));
}

void CalculateActionTest::defaultReporterShowsAModalWarning() {
  window_->setErrorReporter({});
  // What the user typed is quoted as it stands, never read as markup.
  const QString typed = QStringLiteral("<h1>oops</h1><img src=x>");
  box("Text3")->setText(typed);
  QString title, text;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool modal = false;
  bool results_untouched = false;
  QTimer::singleShot(0, this, [&] {
    auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!message) return;
    title = message->windowTitle();
    text = message->text();
    format = message->textFormat();
    icon = message->icon();
    modal = message->isModal();
    results_untouched = box("Text11")->text().isEmpty();
    message->accept();
  });
  clickCalculate();
  QCOMPARE(title, QStringLiteral("Voranth"));
  QVERIFY(text.contains("load reflection coefficient, magnitude"));
  QVERIFY(text.contains(typed));
  QCOMPARE(format, Qt::PlainText);
  QCOMPARE(icon, QMessageBox::Warning);
  QVERIFY(modal);
  QVERIFY(results_untouched);
  QVERIFY(window_->isVisible());
  // The window gets the focus back when the warning closes (here the test platform has no
  // window manager to do it), and with it the box at fault.
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  QCOMPARE(QApplication::focusWidget(), box("Text3"));
  QCOMPARE(box("Text3")->selectedText(), typed);
}

void CalculateActionTest::clicksKeepNothing() {
  setInputs({"50", "0.5", "30", "0.2", "90"});
  clickCalculate();
  const QStringList first = results();
  clickCalculate();
  QCOMPARE(results(), first);

  // Text typed into the result boxes is neither read nor kept.
  for (const char* name : kResults) {
    QLineEdit* result = box(name);
    QTest::mouseClick(result, Qt::LeftButton);
    QTest::keyClick(result, Qt::Key_End);
    QTest::keyClicks(result, "9");
  }
  QVERIFY(results() != first);
  clickCalculate();
  QCOMPARE(results(), first);

  // A click leaves each box as writing its text does, whatever was done in it without typing:
  // no selection, the cursor at the start, nothing to undo.
  for (const char* name : kResults) {
    QLineEdit* result = box(name);
    QTest::mouseDClick(result, Qt::LeftButton);
    QTest::keyClick(result, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClicks(result, "7");
    QTest::keySequence(result, QKeySequence::Undo);
  }
  QCOMPARE(results(), first);
  clickCalculate();
  for (const char* name : kResults) {
    QLineEdit* result = box(name);
    QVERIFY2(!result->hasSelectedText() && result->cursorPosition() == 0 &&
                 !result->isRedoAvailable() && !result->isUndoAvailable(),
             name);
  }

  // A click after other inputs gives what a fresh window gives for them.
  setInputs({"50", "0.5", "0", "0", "0"});
  clickCalculate();
  QCOMPARE(results(), (QStringList{"6.02", "1.25", "150.0", "0.0", "+", "50.0", "0.0", "+"}));
  QVERIFY(reports_.isEmpty());
}

void CalculateActionTest::longResultsAreMarkedAndOfferedWhole() {
  // Numbers that do not fit even in the smallest font show their size in a compact form, marked
  // as shortened; the box's text, tooltip, description and copy keep the whole number.
  const struct {
    QStringList inputs;
    const char* box;
    QString text;
  } cases[] = {
      {{u"50"_s, u"0.99999"_s, u"0"_s, u"0"_s, u"0"_s}, "Text5", u"9999950.0"_s},
      {{u"1e150"_s, u"0.5"_s, u"0"_s, u"0"_s, u"0"_s},
       "Text5",
       u"3"_s + QString(150, u'0') + u".0"_s},
      {{u"-1e20"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s},
       "Text7",
       u"-1"_s + QString(20, u'0') + u".0"_s},
  };
  for (const auto& c : cases) {
    setInputs(c.inputs);
    clickCalculate();
    ui::TextBox* result = box(c.box);
    QCOMPARE(result->text(), c.text);
    QVERIFY(!result->showsWholeText());
    QCOMPARE(result->font().pixelSize(), ui::kMinimumTextPixels);
    // "≈1.0e7": at least two significant digits, so within 5 % of the whole number.
    const QString shown = result->shownText();
    QVERIFY2(shown.startsWith(u'\u2248') && shown.contains(u'e'), qPrintable(shown));
    bool number = false;
    const double size = shown.mid(1).toDouble(&number);
    QVERIFY2(number && std::fabs(size / c.text.toDouble() - 1.0) <= 0.05, qPrintable(shown));
    // The whole value after the explanation in the tooltip and the accessible description.
    QVERIFY(result->help().startsWith(result->explanation()));
    QVERIFY(tooltip(result).remove(u'\n').remove(u' ').endsWith(u"Fullvalue:"_s + c.text));
    QVERIFY(result->help().endsWith(u"Full value: "_s + c.text));
    // Copying takes the whole text.
    QTest::mouseClick(result, Qt::LeftButton);
    QTest::keySequence(result, QKeySequence::SelectAll);
    QTest::keySequence(result, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), c.text);
    window_->findChild<QPushButton*>("Command1")->setFocus();
  }
  // Text that is not a number is still cut at its end.
  ui::TextBox* resistance = box("Text5");
  resistance->setText(u"abc"_s + QString(60, u'x'));
  QVERIFY(resistance->shownText().startsWith(u"abcx"_s));
  QVERIFY(resistance->shownText().endsWith(u"\u2026"_s));

  // 123456.8 fits in a smaller font; short results are back in the box's own.
  setInputs({u"123456.78"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s});
  clickCalculate();
  QCOMPARE(resistance->text(), QStringLiteral("123456.8"));
  QVERIFY(resistance->showsWholeText());
  QCOMPARE(resistance->shownText(), resistance->text());
  QVERIFY(resistance->font().pixelSize() < 13);
  QVERIFY(!tooltip(resistance).contains(QStringLiteral("Full value")));
  setInputs({u"50"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s});
  clickCalculate();
  QCOMPARE(resistance->font().pixelSize(), 13);
  QCOMPARE(resistance->help(), resistance->explanation() + u'\n' + resistance->details());
  QCOMPARE(tooltip(resistance).simplified(), resistance->help().simplified());
}

void CalculateActionTest::noLengthLimit() {
  // Pasted: 0.5 with 40,000 more zeros, times 10^-1, is 0.05.
  const QString magnitude =
      QStringLiteral("0.5") + QString(40000, QLatin1Char('0')) + QStringLiteral("e-1");
  QApplication::clipboard()->setText(magnitude);
  ui::TextBox* input = box("Text1");
  input->setFocus();
  input->selectAll();
  QTest::keySequence(input, QKeySequence::Paste);
  QCOMPARE(input->text(), magnitude);
  clickCalculate();
  QVERIFY(reports_.isEmpty());
  QCOMPARE(box("Text5")->text(), QStringLiteral("55.3"));
}

void CalculateActionTest::copyAllResultsAndFigures() {
  QClipboard* clipboard = QApplication::clipboard();
  auto copyAll = [this] {
    QTest::keyClick(window_.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  };
  // Nothing to copy before a Calculate has succeeded, a failed one included.
  clipboard->setText(u"before"_s);
  setInputs({u"50"_s, u"x"_s, u"0"_s, u"0"_s, u"0"_s});
  clickCalculate();
  copyAll();
  QCOMPARE(clipboard->text(), u"before"_s);

  // A source given as a VSWR: what it was read as comes with its figures and in the copy.
  setInputs({u"50"_s, u"VSWR 3"_s, u"90"_s, u"0.2"_s, u"0"_s});
  clickCalculate();
  copyAll();
  const QString copied = clipboard->text();
  // The inputs first, as the numbers they were read as, so that a copy made after an edit cannot
  // be taken for the results of the new inputs; a VSWR says what it was read as.
  QVERIFY2(copied.startsWith(u"Z0 = 50 \u03a9\n\u0393S = 0.5 \u2220 90\u00b0\n"
                             u"|\u0393S| = 0.5 (VSWR 3:1)\n\u0393L = 0.2 \u2220 0\u00b0\nRL = "_s),
           qPrintable(copied));
  for (const QString& line :
       {u"\nZS = 30.0 + j40.0 \u03a9\n"_s, u"\nML at any phase = "_s, u"\nVSWR S = 3.00\n"_s,
        u"\nVSWR L = 1.50\n"_s, u"\nStandard uncertainty = 14.14 % (0.61 dB)\n"_s}) {
    QVERIFY2(copied.contains(line), qPrintable(copied + u" lacks "_s + line));
  }
  // The figures follow the explanations of the mismatch loss and of each port's impedance.
  const QString mismatch = tooltip(box("Text12"));
  QVERIFY(box("Text12")->help().startsWith(box("Text12")->explanation()));
  QVERIFY(mismatch.contains(u"\nML at any phase = "_s));
  QVERIFY(box("Text6")->help().contains(u"\nVSWR S = 3.00"_s));
  QVERIFY(tooltip(box("Text15")).contains(u"\nVSWR L = 1.50"_s));
  QVERIFY(box("Text5")->help().contains(u"\n|\u0393S| = 0.5 (VSWR 3:1)\nVSWR S = 3.00"_s));
  QVERIFY(!box("Text7")->help().contains(u"\u0393L|"_s));

  // A failed Calculate leaves what is copied; the tooltips no longer give the old figures.
  setInputs({u"50"_s, u"1"_s, u"0"_s, u"0"_s, u"0"_s});
  clickCalculate();
  QCOMPARE(reports_.size(), 2);
  QVERIFY(!tooltip(box("Text12")).contains(u"\nML at any phase = "_s));
  clipboard->clear();
  copyAll();
  QCOMPARE(clipboard->text(), copied);

  // A double-click takes the whole number, not the digits on one side of its point.
  ui::TextBox* loss = box("Text12");
  QTest::mouseDClick(loss, Qt::LeftButton, {}, QPoint(loss->width() / 2, loss->height() / 2));
  QCOMPARE(loss->selectedText(), loss->text());
}

void CalculateActionTest::copyAsTable() {
  // For a spreadsheet: label, value and unit a row, each value one number where it has one.
  const QList<QStringList> cases = {
      {u"50"_s, u"0.5"_s, u"-90"_s, u"0.2"_s, u"0"_s},     // ordinary, a negative reactance
      {u"50"_s, u"0.3"_s, u"45"_s, u"0.3"_s, u"-45"_s},    // conjugate: RL infinite
      {u"50"_s, u"1"_s, u"90"_s, u"0"_s, u"0"_s},          // total reflection: infinite figures
      {u"75"_s, u"2"_s, u"0"_s, u"2"_s, u"0"_s},           // both active: figures not defined
      {u"50"_s, u"VSWR 1.5"_s, u"0"_s, u"0.2"_s, u"0"_s},  // a VSWR, and what it was read as
  };
  for (const QStringList& in : cases) {
    setInputs(in);
    clickCalculate();
    QTest::keyClick(window_.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasHtml());
    const QString table = QString::fromUtf8(data->data(u"text/tab-separated-values"_s));
    const QStringList rows = table.split(u'\n', Qt::SkipEmptyParts);
    const bool vswr = in[1].startsWith(u"VSWR"_s);
    QCOMPARE(rows.size(), vswr ? 31 : 30);
    QCOMPARE(rows.first(), u"Z0\t"_s + in[0] + u"\t\u03a9"_s);
    QCOMPARE(rows.contains(u"\u0393S magnitude read from\tVSWR 1.5:1\t"_s), vswr);
    for (const QString& row : rows) {
      if (row.contains(u"read from"_s)) continue;
      const QStringList cells = row.split(u'\t');
      QCOMPARE(cells.size(), 3);
      bool number = false;
      cells[1].toDouble(&number);
      const bool words = (cells[1] == u"infinite"_s || cells[1] == u"-infinite"_s ||
                          cells[1] == u"not defined"_s) &&
                         cells[2].isEmpty();
      QVERIFY2(number || words, qPrintable(in.join(u' ') + u": "_s + row));
    }
    // A reactance is one signed number.
    if (in[2] == u"-90"_s) QVERIFY(rows.contains(u"ZS reactance\t-40.0\t\u03a9"_s));
  }
}

void CalculateActionTest::tooltipsWrapAtReadableWidth() {
  // Long results (cut, with their full value), the longest figure lines, every box's explanation.
  const QFontMetrics metrics(QToolTip::font());
  for (const QStringList& in : {QStringList{u"50"_s, u"1"_s, u"90"_s, u"0.99999"_s, u"0"_s},
                                QStringList{u"50"_s, u"2"_s, u"0"_s, u"0.5"_s, u"0"_s}}) {
    setInputs(in);
    clickCalculate();
    for (ui::TextBox* b : window_->findChildren<ui::TextBox*>()) {
      const QString tip = tooltip(b);
      QVERIFY(!tip.isEmpty());
      for (const QString& line : tip.split(u'\n')) {
        QVERIFY2(line.size() <= 60 && metrics.horizontalAdvance(line) <= 480,
                 qPrintable(b->objectName() + u": "_s + line));
      }
    }
  }
}

void CalculateActionTest::detailsWindow() {
  // Made only when first asked for.
  QVERIFY(!window_->detailsWindow());
  setInputs({u"50"_s, u"0.5"_s, u"90"_s, u"0.2"_s, u"0"_s});
  clickCalculate();
  QVERIFY(!window_->detailsWindow());
  QTest::keyClick(window_.get(), Qt::Key_I, Qt::ControlModifier);
  ui::DetailsWindow* details = window_->detailsWindow();
  QVERIFY(details && details->isVisible());
  // Every line that Copy all results gives, in the same order.
  QTest::keyClick(window_.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  const QString copied = QApplication::clipboard()->text();
  QCOMPARE(details->text().replace(u"\n\n"_s, u"\n"_s), copied.trimmed());
  // The pair's Monte Carlo interval: −10·log10(1 + p² ± 2p·cos(0.025π)) for p = 0.1.
  QVERIFY(copied.contains(u"\nCoverage interval (95 %, Monte Carlo) = -0.83 to +0.91 dB\n"_s));
  // It follows the next Calculate; an edit after it is pointed out; Copy copies the same.
  setInputs({u"75"_s, u"0.5"_s, u"90"_s, u"0.2"_s, u"0"_s});
  auto* note = details->findChild<QLabel*>();
  QVERIFY(!note->isHidden());
  clickCalculate();
  QVERIFY(note->isHidden());
  QVERIFY(details->text().startsWith(u"Z0 = 75 \u03a9\n"_s));
  QApplication::clipboard()->clear();
  details->findChild<QPushButton*>(u"DetailsCopy"_s)->click();
  QVERIFY(QApplication::clipboard()->text().startsWith(u"Z0 = 75 \u03a9\n"_s));
  // Its chart is drawn for any magnitudes, the active and the huge ones too.
  for (const char* magnitude : {"2", "-1", "1e300", "0.999999999"}) {
    setInputs({u"50"_s, QString::fromLatin1(magnitude), u"30"_s, u"0.5"_s, u"0"_s});
    clickCalculate();
    QVERIFY(!details->grab().isNull());
  }
  // Quit closes it with the main window.
  window_->findChild<QPushButton*>(u"Command2"_s)->click();
  QVERIFY(!details->isVisible());
}

void CalculateActionTest::announcedResultsNeverGoStale() {
  // The results are announced only with assistive technology at hand (see tests/a11y); here an
  // announcement stands in for them, and whatever takes them away must take it away.
  auto* announcer = window_->findChild<ui::Announcer*>();
  QVERIFY(announcer);
  const QStringList good = {u"50"_s, u"0.5"_s, u"90"_s, u"0.2"_s, u"0"_s};
  setInputs(good);
  announcer->announce(u"Return loss 5.42 dB"_s);
  QCOMPARE(announcer->text(), u"Return loss 5.42 dB"_s);
  // A failed Calculate, and an edit of any input.
  setInputs({u"50"_s, u"1"_s, u"0"_s, u"0"_s, u"0"_s});
  announcer->announce(u"Return loss 5.42 dB"_s);
  clickCalculate();
  QCOMPARE(announcer->text(), QString());
  for (const char* name : kInputs) {
    announcer->announce(u"Return loss 5.42 dB"_s);
    box(name)->setText(box(name)->text() + u"0"_s);
    QVERIFY2(announcer->text().isEmpty(), name);
  }
}

// A short at the source: the mismatch loss is unbounded everywhere the window shows it.
void CalculateActionTest::noPowerReachesTheLoad() {
  setInputs({u"50"_s, u"1"_s, u"180"_s, u"0.5"_s, u"0"_s});
  clickCalculate();
  QVERIFY(reports_.isEmpty());
  ui::TextBox* loss = box("Text12");
  QCOMPARE(loss->text(), u"\u221e"_s);
  QVERIFY(loss->showsWholeText());
  QCOMPARE(box("Text11")->text(), u"0.00"_s);
  QVERIFY(tooltip(loss).contains(u"\nML at any phase = infinite (total reflection at a port)"_s));
  QTest::keyClick(window_.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  const QString copied = QApplication::clipboard()->text();
  QVERIFY2(copied.contains(u"\nRL = 0.00 dB\nML = \u221e dB\n"_s), qPrintable(copied));
  for (const QString& shown : {tooltip(loss), loss->help(), copied}) {
    QVERIFY2(!shown.contains(u"00000"_s), qPrintable(shown));
  }
}

QTEST_MAIN(CalculateActionTest)
#include "calculate_action_test.moc"
