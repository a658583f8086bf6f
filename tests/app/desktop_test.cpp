// Both windows on desktops unlike the one they were designed on: where they go on a small screen,
// and whether their texts stay readable under a dark colour scheme. Runs on a 640 x 480 screen.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>

#include "ui/closing_screen/closing_screen.h"
#include "ui/common/placement.h"
#include "ui/main_window/main_window.h"

namespace {

// Relative luminance and contrast ratio as the Web Content Accessibility Guidelines define them.
double Luminance(const QColor& color) {
  auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
         0.0722 * linear(color.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of what is drawn in a region of a window: between the commonest colour there (the
// ground) and the colour that stands out most from it (the core of the strokes).
double DrawnContrast(const QImage& image, const QRegion& region) {
  std::map<QRgb, int> counts;
  for (const QRect& rect : region) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      for (int x = rect.left(); x <= rect.right(); ++x) ++counts[image.pixel(x, y)];
    }
  }
  if (counts.empty()) return 0;
  const QColor ground = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                        })->first;
  double most = 1;
  for (const auto& [rgb, count] : counts) most = std::max(most, Contrast(ground, QColor(rgb)));
  return most;
}

// An area of a window without the controls over it or beside it that are not captions: boxes,
// buttons and lines.
QRegion Uncovered(const QWidget* window, const QRect& area) {
  QRegion region(area);
  for (const QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!qobject_cast<const QLabel*>(child)) region -= child->geometry();
  }
  return region;
}

// A scheme like Adwaita's dark one.
QPalette DarkPalette() {
  const QColor light(238, 238, 236), ground(53, 53, 53);
  QPalette dark(light, ground, QColor(70, 70, 70), QColor(20, 20, 20), QColor(40, 40, 40), light,
                Qt::white, QColor(45, 45, 45), ground);
  dark.setColor(QPalette::ButtonText, light);
  return dark;
}

constexpr double kReadable = 4.5;  // the guidelines' level AA for text

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void placement_data();
  void placement();
  void windowsStayOnASmallScreen();
  void textsStayReadableInADarkScheme();
};

void DesktopTest::placement_data() {
  QTest::addColumn<QPoint>("designed");
  QTest::addColumn<QSize>("frame");
  QTest::addColumn<QRect>("available");
  QTest::addColumn<QPoint>("expected");

  const QSize mainFrame(816, 574);  // the main window with a 31-pixel title bar
  QTest::newRow("fits") << QPoint(106, 95) << mainFrame << QRect(0, 0, 1920, 1050)
                        << QPoint(106, 95);
  QTest::newRow("fits exactly") << QPoint(104, 26) << mainFrame << QRect(0, 0, 920, 600)
                                << QPoint(104, 26);
  // 1366 x 768 at 125 %, less a panel: moved up just enough.
  QTest::newRow("over the bottom panel")
      << QPoint(106, 95) << mainFrame << QRect(0, 0, 1093, 587) << QPoint(106, 13);
  QTest::newRow("beyond the right edge")
      << QPoint(192, 172) << QSize(645, 330) << QRect(0, 0, 800, 1000) << QPoint(155, 172);
  QTest::newRow("under a top panel and a left dock")
      << QPoint(50, 20) << mainFrame << QRect(70, 32, 1296, 736) << QPoint(70, 32);
  QTest::newRow("larger than the area")
      << QPoint(106, 95) << mainFrame << QRect(0, 0, 640, 480) << QPoint(0, 0);
  QTest::newRow("screen left of the primary")
      << QPoint(-300, 95) << mainFrame << QRect(-1280, 0, 1280, 1024) << QPoint(-816, 95);
}

void DesktopTest::placement() {
  QFETCH(QPoint, designed);
  QFETCH(QSize, frame);
  QFETCH(QRect, available);
  QFETCH(QPoint, expected);
  QCOMPARE(ui::FitFrameIntoArea(designed, frame, available), expected);
}

void DesktopTest::windowsStayOnASmallScreen() {
  // 640 x 480: the main window is larger both ways and goes to the corner; the closing screen
  // is wider only, and moves up just enough to fit.
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  QCOMPARE(available, QRect(0, 0, 640, 480));
  ui::MainWindow form1;
  form1.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form1));
  QTRY_COMPARE(form1.frameGeometry().topLeft(), available.topLeft());

  ui::ClosingScreen form2;
  form2.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form2));
  QTRY_COMPARE(form2.frameGeometry().topLeft(),
               QPoint(0, available.bottom() + 1 - form2.frameGeometry().height()));
}

void DesktopTest::textsStayReadableInADarkScheme() {
  QApplication::setPalette(DarkPalette());

  ui::MainWindow form1;
  form1.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form1));
  const QImage main = form1.grab().toImage();
  QCOMPARE(main.devicePixelRatio(), 1.0);
  for (const QLabel* label : form1.findChildren<QLabel*>()) {
    const double contrast = DrawnContrast(main, Uncovered(&form1, label->geometry()));
    QVERIFY2(contrast >= kReadable, qPrintable(label->objectName()));
  }
  // The frame lines against the picture around them.
  for (const QFrame* line : form1.findChildren<QFrame*>()) {
    if (qobject_cast<const QLabel*>(line)) continue;
    const QRect around = line->geometry().adjusted(-3, -3, 3, 3) & form1.rect();
    QVERIFY2(DrawnContrast(main, around) >= kReadable, qPrintable(line->objectName()));
  }
  // The text of every input box against its ground, inside the frame.
  for (const char* name : {"Text13", "Text1", "Text2", "Text3", "Text4"}) {
    const QLineEdit* box = form1.findChild<QLineEdit*>(QString::fromLatin1(name));
    const double contrast = DrawnContrast(main, box->geometry().adjusted(3, 3, -3, -3));
    QVERIFY2(contrast >= kReadable, name);
  }

  ui::ClosingScreen form2;
  form2.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form2));
  const QImage closing = form2.grab().toImage();
  const QList<QLabel*> captions = form2.findChildren<QLabel*>();
  QCOMPARE(captions.size(), 3);
  for (const QLabel* label : captions) {
    // Without the lines beside the web address, which are blue like it.
    const double contrast = DrawnContrast(closing, Uncovered(&form2, label->geometry()));
    QVERIFY2(contrast >= kReadable, qPrintable(label->objectName()));
  }
  QApplication::setPalette(QPalette());
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
