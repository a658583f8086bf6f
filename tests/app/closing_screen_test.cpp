#include "ui/closing_screen/closing_screen.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "ui/common/fonts.h"

namespace {

const QColor kBlue(0, 0, 255);
const QColor kGrey(224, 224, 224);

}  // namespace

class ClosingScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void window();
  void labels_data();
  void labels();
  void lines_data();
  void lines();
  void addressFitsBetweenLines();
  void linesAreDrawn();
  void timeUpOnceCountedFromLoad();
  void closingByHandIsTimeUpAtOnce();
};

void ClosingScreenTest::window() {
  ui::ClosingScreen form2;
  form2.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form2));

  QCOMPARE(form2.objectName(), QString("Form2"));
  QCOMPARE(form2.windowTitle(), QString("Bye"));
  QCOMPARE(form2.geometry(), QRect(194, 204, 641, 295));
  QCOMPARE(form2.minimumSize(), QSize(641, 295));
  QCOMPARE(form2.maximumSize(), QSize(641, 295));

  const Qt::WindowFlags flags = form2.windowFlags();
  QVERIFY(form2.isWindow());
  QVERIFY(flags.testFlag(Qt::WindowTitleHint));
  QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
  QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  QVERIFY(!form2.isModal());

  QVERIFY(form2.autoFillBackground());
  QCOMPARE(form2.palette().color(QPalette::Window), kGrey);
  // Nothing to type into or press: no child takes the focus.
  for (const QWidget* child : form2.findChildren<QWidget*>())
    QCOMPARE(child->focusPolicy(), Qt::NoFocus);
}

void ClosingScreenTest::labels_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("family");  // the designed face, where the font names it first
  QTest::addColumn<int>("pixels");      // the designed size at 96 dpi, at most
  QTest::addColumn<int>("weight");
  QTest::addColumn<bool>("italic");
  QTest::addColumn<bool>("blue");

  // Twips / 15; 18 pt, 13.5 pt and 15.75 pt.
  QTest::newRow("Label1") << "Halvorn offers the complete servive" << QRect(88, 32, 481, 33) << ""
                          << 24 << int(QFont::Bold) << false << false;
  QTest::newRow("Label2") << "Design - Training - Coaching" << QRect(136, 80, 385, 41) << "" << 18
                          << int(QFont::Bold) << true << false;
  QTest::newRow("Label3") << "www.halvorn.example" << QRect(128, 152, 401, 57) << "Arial Black"
                          << 21 << int(QFont::Black) << false << true;
}

void ClosingScreenTest::labels() {
  QFETCH(QString, text);
  QFETCH(QRect, geometry);
  QFETCH(QString, family);
  QFETCH(int, pixels);
  QFETCH(int, weight);
  QFETCH(bool, italic);
  QFETCH(bool, blue);

  ui::ClosingScreen form2;
  const auto* label = form2.findChild<QLabel*>(QTest::currentDataTag());
  QVERIFY(label);
  QCOMPARE(label->text(), text);
  QCOMPARE(label->geometry(), geometry);
  QCOMPARE(label->alignment(), Qt::AlignHCenter | Qt::AlignTop);
  QVERIFY(!label->autoFillBackground());

  const QFont font = label->font();
  if (!family.isEmpty()) QCOMPARE(font.families().value(0), family);
  // Smaller only where the face standing in is wider than the designed one.
  QVERIFY(font.pixelSize() <= pixels && font.pixelSize() >= ui::kMinimumTextPixels);
  QCOMPARE(font.weight(), QFont::Weight(weight));
  QCOMPARE(font.italic(), italic);
  QCOMPARE(font.underline(), false);

  const QColor color = label->palette().color(QPalette::WindowText);
  if (blue)
    QCOMPARE(color, kBlue);
  else
    QCOMPARE(color, form2.palette().color(QPalette::ButtonText));

  // Whatever face stands in for the designed one, the caption fits on one line of its label.
  const QFontMetrics metrics(font);
  QVERIFY2(metrics.horizontalAdvance(text) <= geometry.width(),
           qPrintable(QFontInfo(font).family()));
  QVERIFY(metrics.ascent() + metrics.tightBoundingRect(text).bottom() < geometry.height());
}

void ClosingScreenTest::lines_data() {
  QTest::addColumn<QLine>("line");
  QTest::newRow("Line2") << QLine(48, 168, 208, 168);
  QTest::newRow("Line1") << QLine(456, 168, 616, 168);
}

void ClosingScreenTest::lines() {
  QFETCH(QLine, line);
  ui::ClosingScreen form2;
  const auto* control = form2.findChild<ui::LineControl*>(QTest::currentDataTag());
  QVERIFY(control);
  QCOMPARE(control->line(), line);
  QCOMPARE(control->lineWidth(), 6);
  QCOMPARE(control->lineColor(), kBlue);
  QVERIFY(control->testAttribute(Qt::WA_TransparentForMouseEvents));
}

void ClosingScreenTest::addressFitsBetweenLines() {
  ui::ClosingScreen form2;
  const auto* address = form2.findChild<QLabel*>("Label3");
  const auto* left = form2.findChild<ui::LineControl*>("Line2");
  const auto* right = form2.findChild<ui::LineControl*>("Line1");
  QVERIFY(address && left && right);
  const int textWidth = QFontMetrics(address->font()).horizontalAdvance(address->text());
  const int textLeft = address->x() + (address->width() - textWidth) / 2;
  // The lines' round ends reach 3 pixels beyond their end points.
  QVERIFY2(left->line().x2() + 3 < textLeft, qPrintable(QFontInfo(address->font()).family()));
  QVERIFY(textLeft + textWidth < right->line().x1() - 3);
}

void ClosingScreenTest::linesAreDrawn() {
  ui::ClosingScreen form2;
  const QImage image = form2.grab().toImage();
  // Each line is 6 pixels thick about y = 168, from y = 165 to 170.
  for (const int x : {60, 200, 470, 610}) {
    QCOMPARE(image.pixelColor(x, 165), kBlue);
    QCOMPARE(image.pixelColor(x, 170), kBlue);
    QCOMPARE(image.pixelColor(x, 163), kGrey);
    QCOMPARE(image.pixelColor(x, 173), kGrey);
  }
  QCOMPARE(image.pixelColor(30, 168), kGrey);
  QCOMPARE(image.pixelColor(630, 168), kGrey);
  QCOMPARE(image.pixelColor(330, 280), kGrey);
}

void ClosingScreenTest::timeUpOnceCountedFromLoad() {
  QCOMPARE(ui::ClosingScreen().findChild<QTimer*>("Timer1")->interval(), 2500);

  // Showing the screen after it was loaded does not restart its time: a ten-second interval, so
  // that no delay of a busy machine lets it run out first.
  {
    ui::ClosingScreen form2(std::chrono::seconds(10));
    const QTimer* timer = form2.findChild<QTimer*>("Timer1");
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QTRY_VERIFY(timer->remainingTime() < 10000 - 20);
    const int beforeShow = timer->remainingTime();
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    QVERIFY(timer->remainingTime() <= beforeShow);
  }

  // A shorter interval than the program's, so the test does not wait 2.5 s.
  QElapsedTimer clock;
  clock.start();
  ui::ClosingScreen form2(std::chrono::milliseconds(600));
  auto* timer = form2.findChild<QTimer*>("Timer1");
  QVERIFY(timer);
  QSignalSpy timeUp(&form2, &ui::ClosingScreen::timeUp);
  form2.show();
  QVERIFY(timeUp.wait(10000));
  const qint64 elapsed = clock.elapsed();
  QVERIFY2(elapsed >= 600, qPrintable(QString::number(elapsed)));
  // Announced once: the timer has stopped, and nothing more is pending. The screen stays up
  // until its owner acts.
  QVERIFY(!timer->isActive());
  QCoreApplication::processEvents();
  QCOMPARE(timeUp.count(), 1);
  QVERIFY(form2.isVisible());
}

void ClosingScreenTest::closingByHandIsTimeUpAtOnce() {
  ui::ClosingScreen form2;
  QSignalSpy timeUp(&form2, &ui::ClosingScreen::timeUp);
  form2.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form2));

  QVERIFY(form2.close());
  QCOMPARE(timeUp.count(), 1);
  QVERIFY(!form2.isVisible());
  QVERIFY(!form2.findChild<QTimer*>("Timer1")->isActive());
  form2.show();
  form2.close();
  QCOMPARE(timeUp.count(), 1);
}

QTEST_MAIN(ClosingScreenTest)
#include "closing_screen_test.moc"
