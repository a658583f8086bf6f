// Results that no longer match the inputs say so, and inputs are shown as typed.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <memory>

#include "ui/common/fonts.h"
#include "ui/details_window/details_window.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/text_box.h"

using namespace Qt::StringLiterals;

namespace {

const char* const kInputs[] = {"Text13", "Text1", "Text2", "Text3", "Text4"};
const char* const kResults[] = {"Text11", "Text12", "Text5", "Text6",
                                "Text14", "Text7",  "Text8", "Text15"};
const QString kNotCurrent = u"not current: the inputs have changed since"_s;

double Luminance(QColor colour) {
  const auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

double Contrast(QColor a, QColor b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast of the box's drawn text against its background colour, from its pixels
// inside the frame and before the text cursor at the end of "-12.34"; and where the text is.
double TextContrast(ui::TextBox* box, QRect* where = nullptr) {
  const QImage image = box->grab().toImage();
  const QColor base = box->palette().color(QPalette::Base);
  const auto each_pixel = [&](auto&& take) {
    for (int y = 4; y < image.height() - 4; ++y) {
      for (int x = 4; x < image.width() - 9; ++x)
        take(x, y, Contrast(image.pixelColor(x, y), base));
    }
  };
  double strongest = 1.0;
  each_pixel([&](int, int, double contrast) { strongest = std::max(strongest, contrast); });
  // The text: the pixels at least halfway to the strongest, whatever the colours.
  QRect text;
  each_pixel([&](int x, int y, double contrast) {
    if (contrast >= 1.0 + (strongest - 1.0) / 2) text |= QRect(x, y, 1, 1);
  });
  if (where) *where = text;
  return strongest;
}

}  // namespace

class ResultCurrencyTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void notCurrentAfterAChange_data();
  void notCurrentAfterAChange();
  void dimmedTextStaysReadable_data();
  void dimmedTextStaysReadable();
  void inputsAreShownAsTyped_data();
  void inputsAreShownAsTyped();

 private:
  ui::TextBox* box(const char* name) const {
    return window_->findChild<ui::TextBox*>(QString::fromLatin1(name));
  }
  void setInputs(const QStringList& inputs) {
    for (int i = 0; i < 5; ++i) box(kInputs[i])->setText(inputs[i]);
  }
  QStringList results() const {
    QStringList texts;
    for (const char* name : kResults) texts << box(name)->text();
    return texts;
  }
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

void ResultCurrencyTest::init() {
  window_ = std::make_unique<ui::MainWindow>();
  reports_.clear();
  window_->setErrorReporter([this](QWidget*, const QString& message) { reports_ << message; });
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void ResultCurrencyTest::cleanup() {
  window_.reset();
}

void ResultCurrencyTest::notCurrentAfterAChange_data() {
  QTest::addColumn<QString>("input");  // the box edited, or none for a failed Calculate
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("calculate");
  for (const char* name : kInputs) {
    QTest::newRow(name) << QString::fromLatin1(name) << u"1"_s << false;
  }
  QTest::newRow("an open circuit, then Calculate") << u"Text1"_s << u"1"_s << true;
  QTest::newRow("an active port, then Calculate") << u"Text3"_s << u"3"_s << true;
  QTest::newRow("not a number, then Calculate") << u"Text4"_s << u"x"_s << true;
}

void ResultCurrencyTest::notCurrentAfterAChange() {
  QFETCH(QString, input);
  QFETCH(QString, typed);
  QFETCH(bool, calculate);
  QAccessible::setActive(true);  // descriptions are kept up to date for assistive technology
  setInputs({u"50"_s, u"0.5"_s, u"0"_s, u"0.3"_s, u"60"_s});
  clickCalculate();
  QTest::keyClick(window_.get(), Qt::Key_I, Qt::ControlModifier);
  auto* note = window_->detailsWindow()->findChild<QLabel*>();
  const QStringList shown = results();
  QVERIFY(tooltip(box("Text12")).contains(u"M = "_s));

  box(input.toLatin1().constData())->setText(typed);
  if (calculate) clickCalculate();
  QCOMPARE(reports_.size(), calculate ? 1 : 0);
  QCOMPARE(results(), shown);  // the texts stay
  QVERIFY(!note->isHidden());
  for (const char* name : kResults) {
    ui::TextBox* result = box(name);
    QVERIFY2(!result->isCurrent(), name);
    QCOMPARE(result->help(), result->explanation() + u'\n' + kNotCurrent);
    QCOMPARE(tooltip(result).simplified(), result->help().simplified());
    QCOMPARE(QAccessible::queryAccessibleInterface(result)->text(QAccessible::Description),
             result->help());
  }

  // The next Calculate that succeeds makes them current again.
  setInputs({u"50"_s, u"0.5"_s, u"0"_s, u"0.3"_s, u"60"_s});
  clickCalculate();
  QVERIFY(note->isHidden());
  for (const char* name : kResults) {
    ui::TextBox* result = box(name);
    QVERIFY2(result->isCurrent(), name);
    QVERIFY(!result->help().contains(kNotCurrent));
    QCOMPARE(result->palette().color(QPalette::Text), QColor(Qt::black));
  }
  QVERIFY(tooltip(box("Text12")).contains(u"M = "_s));
  QAccessible::setActive(false);
}

void ResultCurrencyTest::dimmedTextStaysReadable_data() {
  QTest::addColumn<QColor>("text");
  QTest::addColumn<QColor>("base");  // an invalid colour: the window's own
  QTest::addColumn<bool>("focused");
  QTest::newRow("the window's colours") << QColor() << QColor() << false;
  QTest::newRow("the window's colours, with the focus") << QColor() << QColor() << true;
  QTest::newRow("light on dark") << QColor(255, 255, 255) << QColor(32, 32, 32) << false;
  QTest::newRow("light on dark, with the focus")
      << QColor(255, 255, 255) << QColor(32, 32, 32) << true;
  QTest::newRow("dark blue on cream") << QColor(0, 0, 96) << QColor(255, 250, 220) << false;
}

void ResultCurrencyTest::dimmedTextStaysReadable() {
  QFETCH(QColor, text);
  QFETCH(QColor, base);
  QFETCH(bool, focused);
  ui::TextBox* result = box("Text12");
  if (focused) result->setFocus();
  if (text.isValid()) {
    QPalette colours = result->palette();
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, base);
    result->setPalette(colours);
  }
  result->setText(u"-12.34"_s);
  QRect current_place, dimmed_place;
  const double current = TextContrast(result, &current_place);
  result->setCurrent(false);
  const double dimmed = TextContrast(result, &dimmed_place);
  QCOMPARE(dimmed_place, current_place);  // drawn where the box draws its text
  qInfo("text at %.2f : 1, dimmed at %.2f : 1", current, dimmed);
  QVERIFY(dimmed >= 3.0);
  QVERIFY(dimmed <= current * 0.6);
  result->setCurrent(true);
  QCOMPARE(TextContrast(result), current);
  QCOMPARE(result->palette().color(QPalette::Base), text.isValid() ? base : QColor(Qt::white));
}

void ResultCurrencyTest::inputsAreShownAsTyped_data() {
  QTest::addColumn<QString>("input");
  QTest::addColumn<QString>("typed");
  QTest::newRow("a magnitude just below 1") << u"Text1"_s << u"0.9999999999"_s;
  QTest::newRow("a long reference impedance") << u"Text13"_s << u"123456789012345678901234"_s;
  QTest::newRow("a long angle") << u"Text4"_s << u"-45.00000000000000001"_s;
  QTest::newRow("a return loss") << u"Text3"_s << u"RL 14.0000000000 dB"_s;
}

void ResultCurrencyTest::inputsAreShownAsTyped() {
  QFETCH(QString, input);
  QFETCH(QString, typed);
  ui::TextBox* edited = box(input.toLatin1().constData());
  edited->setText(typed);
  edited->setCursorPosition(0);
  QVERIFY(!edited->showsWholeText());
  const QString shown = edited->shownText();
  QVERIFY2(shown.endsWith(QChar(0x2026)) && shown.size() > 2, qPrintable(shown));
  QVERIFY2(typed.startsWith(shown.chopped(1)), qPrintable(shown));
  // A result that is a number keeps its compact form.
  box("Text5")->setText(u"9999950.0"_s);
  QVERIFY(box("Text5")->shownText().startsWith(QChar(0x2248)));
}

QTEST_MAIN(ResultCurrencyTest)
#include "result_currency_test.moc"
