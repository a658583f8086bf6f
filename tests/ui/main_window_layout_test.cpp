// The main window as the user first sees it: every control where the layout tables put it, the
// start state, keyboard navigation, the picture and the help texts.
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QResource>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QSvgRenderer>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "ui/common/fonts.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/text_box.h"

namespace {

// The layout tables are in twips; the window is laid out at 15 twips to the pixel.
QRect FromTwips(int left, int top, int width, int height) {
  return {left / 15, top / 15, width / 15, height / 15};
}

const char* const kResults[] = {"Text5",  "Text14", "Text6",  "Text7",
                                "Text15", "Text8",  "Text11", "Text12"};

}  // namespace

class MainWindowLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void windowProperties();
  void controls_data();
  void controls();
  void lines_data();
  void lines();
  void boxesAndButtonsLieAboveCaptions();
  void captionsFitTheirLabels();
  void greekLettersAreDrawn();
  void colours();
  void startState();
  void tabCycle();
  void focusIsSeen();
  void enterAndEscapeDoNothing_data();
  void enterAndEscapeDoNothing();
  void spaceBarPressesTheFocusedButton();
  void resultBoxesTakeClicksAndTyping();
  void inputShowsItsStartWhenLeft();
  void textShownWholeFits();
  void helpTexts_data();
  void helpTexts();
  void picture();
  void pictureIsTheDrawingRenderedAtBuild();
  void enlargingMovesNothing();
  void closeBoxClosesTheWindow();

 private:
  template <typename T = QWidget>
  T* control(const char* name) const {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }
  ui::TextBox* box(const char* name) const { return control<ui::TextBox>(name); }

  std::unique_ptr<ui::MainWindow> window_;
  int reports_ = 0;
};

void MainWindowLayoutTest::init() {
  window_ = std::make_unique<ui::MainWindow>();
  reports_ = 0;
  window_->setErrorReporter([this](QWidget*, const QString&) { ++reports_; });
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void MainWindowLayoutTest::cleanup() {
  window_.reset();
}

void MainWindowLayoutTest::windowProperties() {
  QCOMPARE(window_->objectName(), QStringLiteral("Form1"));
  QCOMPARE(window_->windowTitle(), QStringLiteral("Voranth"));
  QCOMPARE(window_->geometry(), QRect(108, 126, 812, 541));
  const Qt::WindowFlags flags = window_->windowFlags();
  QVERIFY(flags & Qt::WindowMinimizeButtonHint);
  QVERIFY(flags & Qt::WindowCloseButtonHint);
  QVERIFY(flags & Qt::WindowSystemMenuHint);
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  // Resizable: no fixed size.
  QVERIFY(window_->minimumSize() != window_->maximumSize());
  // The window font, inherited by every control without a font of its own: 9.75 pt at 96 dpi.
  QCOMPARE(window_->font().pixelSize(), 13);
  QCOMPARE(window_->font().weight(), QFont::Bold);
}

// One row per control of the layout tables, positions and sizes in twips.
void MainWindowLayoutTest::controls_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("font");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<bool>("centred");
  QTest::addColumn<bool>("tabStop");

  const QString label = "label", box = "box", button = "button";
  auto row = [](const char* name, const QString& kind, const QString& text, const char* font,
                QRect geometry, bool centred, bool tab_stop) {
    QTest::newRow(name) << kind << text << QString::fromLatin1(font) << geometry << centred
                        << tab_stop;
  };
  const QString omega = QStringLiteral("\u03a9"), gamma = QStringLiteral("\u0393");
  // Reference impedance group.
  row("Label3", label, "Reference Impedance:", "S8", FromTwips(5160, 1560, 1815, 255), true, false);
  row("Text13", box, "50", "S13", FromTwips(5640, 1800, 855, 375), true, true);
  row("Label8_6", label, omega, "Y", FromTwips(6480, 1800, 255, 375), false, false);
  // Source reflection coefficient.
  row("Label8_0", label, gamma, "YU", FromTwips(2760, 2640, 255, 375), false, false);
  row("Label7_0", label, "S", "W", FromTwips(3000, 2880, 255, 255), false, false);
  row("Label6_0", label, "=", "S13B", FromTwips(3240, 2640, 255, 375), false, false);
  row("Text1", box, "0", "W", FromTwips(3600, 2520, 735, 375), false, true);
  row("Label20", label, "e", "S13B", FromTwips(4440, 2640, 375, 375), false, false);
  row("Label19", label, "j", "S13B", FromTwips(4680, 2520, 375, 375), false, false);
  row("Text2", box, "0", "W", FromTwips(4800, 2400, 735, 375), false, true);
  row("Label18", label, "\u00b0", "S13B", FromTwips(5520, 2400, 255, 375), false, false);
  // Load reflection coefficient.
  row("Label30_0", label, gamma, "YU", FromTwips(6480, 2640, 255, 375), false, false);
  row("Label32", label, "L", "W", FromTwips(6720, 2880, 255, 255), false, false);
  row("Label31", label, "=", "S13B", FromTwips(6960, 2640, 255, 375), false, false);
  row("Text3", box, "0", "W", FromTwips(7320, 2520, 735, 375), false, true);
  row("Label29", label, "e", "S13B", FromTwips(8160, 2640, 375, 375), false, false);
  row("Label28", label, "j", "S13B", FromTwips(8400, 2520, 375, 375), false, false);
  row("Text4", box, "0", "W", FromTwips(8520, 2400, 735, 375), false, true);
  row("Label27", label, "\u00b0", "S13B", FromTwips(9240, 2400, 255, 375), false, false);
  // Source impedance.
  row("Label11_0", label, "Z", "S13BU", FromTwips(2520, 3360, 255, 375), false, false);
  row("Label10_0", label, "S", "W", FromTwips(2760, 3600, 255, 255), false, false);
  row("Label9_0", label, "=", "S13B", FromTwips(2880, 3360, 255, 375), false, false);
  row("Text5", box, "", "W", FromTwips(3240, 3360, 735, 255), true, false);
  row("Label8_2", label, omega, "Y", FromTwips(3960, 3360, 255, 375), false, false);
  row("Text14", box, "", "S12B", FromTwips(4320, 3360, 255, 300), false, false);
  row("Label30_1", label, "j", "S13B", FromTwips(4680, 3360, 135, 375), false, false);
  row("Text6", box, "", "W", FromTwips(4800, 3360, 735, 255), true, false);
  row("Label8_3", label, omega, "Y", FromTwips(5520, 3360, 255, 375), false, false);
  // Load impedance.
  row("Label11_1", label, "Z", "S13BU", FromTwips(6480, 3360, 255, 375), false, false);
  row("Label10_1", label, "L", "W", FromTwips(6720, 3600, 255, 255), false, false);
  row("Label9_1", label, "=", "S13B", FromTwips(6840, 3360, 255, 375), false, false);
  row("Text7", box, "", "W", FromTwips(7200, 3360, 735, 255), true, false);
  row("Label8_5", label, omega, "Y", FromTwips(7920, 3360, 255, 375), false, false);
  row("Text15", box, "", "W", FromTwips(8280, 3360, 255, 255), false, false);
  row("Label30_2", label, "j", "S13B", FromTwips(8640, 3360, 135, 375), false, false);
  row("Text8", box, "", "W", FromTwips(8760, 3360, 735, 255), true, false);
  row("Label8_4", label, omega, "Y", FromTwips(9480, 3360, 255, 375), false, false);
  // Losses.
  row("Label2", label, "RL =", "S13B", FromTwips(3840, 5280, 855, 495), true, false);
  row("Text11", box, "", "W", FromTwips(4680, 5280, 735, 255), true, false);
  row("Label15_0", label, "dB", "S13B", FromTwips(5400, 5280, 375, 375), false, false);
  row("Label1", label, "ML =", "S13B", FromTwips(6240, 5280, 855, 495), true, false);
  row("Text12", box, "", "W", FromTwips(7080, 5280, 735, 255), true, false);
  row("Label16_0", label, "dB", "S13B", FromTwips(7920, 5280, 375, 375), false, false);
  // Buttons.
  row("Command1", button, "Calculate", "S8", FromTwips(5160, 6600, 1815, 375), true, true);
  row("Command2", button, "Quit", "S8", FromTwips(8880, 6600, 855, 375), true, true);
}

void MainWindowLayoutTest::controls() {
  QFETCH(QString, kind);
  QFETCH(QString, text);
  QFETCH(QString, font);
  QFETCH(QRect, geometry);
  QFETCH(bool, centred);
  QFETCH(bool, tabStop);

  QWidget* widget = control(QTest::currentDataTag());
  QVERIFY2(widget, "no control of that name");
  QCOMPARE(widget->parentWidget(), window_.get());
  QCOMPARE(widget->geometry(), geometry);
  QVERIFY(widget->isVisible());

  // Size, weight and underline of the font the tables name, the sizes in pixels at 96 dpi.
  struct Expected {
    const char* kind;
    int pixels;
    bool bold;
    bool underline;
  };
  static const Expected kFonts[] = {
      {"W", 13, true, false},    {"S8", 11, false, false},  {"S13", 18, false, false},
      {"S12B", 16, true, false}, {"S13B", 18, true, false}, {"S13BU", 18, true, true},
      {"Y", 19, true, false},    {"YU", 19, true, true},
  };
  const Expected* expected = nullptr;
  for (const Expected& e : kFonts) {
    if (font == QLatin1String(e.kind)) expected = &e;
  }
  QVERIFY(expected);
  QCOMPARE(widget->font().pixelSize(), expected->pixels);
  QCOMPARE(widget->font().weight(), expected->bold ? QFont::Bold : QFont::Normal);
  QCOMPARE(widget->font().underline(), expected->underline);

  Qt::Alignment alignment;
  if (kind == "label") {
    auto* label = qobject_cast<QLabel*>(widget);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    alignment = label->alignment();
    // Caption text starts at the top of its label.
    QCOMPARE(alignment & Qt::AlignVertical_Mask, Qt::AlignTop);
  } else if (kind == "box") {
    auto* edit = qobject_cast<QLineEdit*>(widget);
    QVERIFY(edit);
    QCOMPARE(edit->text(), text);
    QVERIFY(!edit->isReadOnly());
    QCOMPARE(edit->maxLength(), std::numeric_limits<int>::max());  // no length limit
    QVERIFY(edit->hasFrame());
    alignment = edit->alignment();
  } else {
    auto* button = qobject_cast<QPushButton*>(widget);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    QVERIFY(!button->autoDefault());
    QVERIFY(!button->isDefault());
    alignment = Qt::AlignHCenter;
  }
  QCOMPARE(alignment & Qt::AlignHorizontal_Mask, centred ? Qt::AlignHCenter : Qt::AlignLeft);
  QCOMPARE(bool(widget->focusPolicy() & Qt::TabFocus), tabStop);
}

void MainWindowLayoutTest::lines_data() {
  QTest::addColumn<QLine>("line");
  QTest::newRow("Line3") << QLine(5040, 1440, 7080, 1440);
  QTest::newRow("Line1") << QLine(5040, 2280, 7080, 2280);
  QTest::newRow("Line4") << QLine(5040, 2280, 5040, 1440);
  QTest::newRow("Line5") << QLine(7080, 2280, 7080, 1440);
  QTest::newRow("Line2") << QLine(0, 0, 2160, 0);
}

void MainWindowLayoutTest::lines() {
  QFETCH(QLine, line);
  auto* frame = control<QFrame>(QTest::currentDataTag());
  QVERIFY(frame);
  // One pixel wide, covering both end points.
  const QRect expected(QPoint(std::min(line.x1(), line.x2()), std::min(line.y1(), line.y2())) / 15,
                       QPoint(std::max(line.x1(), line.x2()), std::max(line.y1(), line.y2())) / 15);
  QCOMPARE(frame->geometry(), expected);
  QCOMPARE(frame->frameShape(), line.dy() == 0 ? QFrame::HLine : QFrame::VLine);
  QCOMPARE(frame->frameShadow(), QFrame::Plain);
  QCOMPARE(frame->lineWidth(), 1);
  // Drawn in the window-text colour.
  const QImage image = frame->grab().toImage();
  QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2),
           frame->palette().color(QPalette::WindowText));
}

void MainWindowLayoutTest::boxesAndButtonsLieAboveCaptions() {
  // Several labels reach under the box beside them; where they overlap, the box wins.
  int overlaps = 0;
  for (QWidget* top : window_->findChildren<QWidget*>()) {
    if (!qobject_cast<QLineEdit*>(top) && !qobject_cast<QPushButton*>(top)) continue;
    for (QWidget* under : window_->findChildren<QWidget*>()) {
      if (!qobject_cast<QLabel*>(under) && !qobject_cast<QFrame*>(under)) continue;
      const QRect common = top->geometry() & under->geometry();
      if (common.isEmpty()) continue;
      ++overlaps;
      QWidget* hit = window_->childAt(common.center());
      QVERIFY2(hit == top || top->isAncestorOf(hit),
               qPrintable(top->objectName() + " is under " + under->objectName()));
    }
  }
  QVERIFY(overlaps >= 4);  // the j labels under Text2 and Text4, the labels beside Text13
}

void MainWindowLayoutTest::captionsFitTheirLabels() {
  // Fails when the fonts fall back to a wider family than the layout was drawn for.
  for (QLabel* label : window_->findChildren<QLabel*>()) {
    const QFontMetrics metrics(label->font());
    const QRect needed = metrics.tightBoundingRect(label->text());
    QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(),
             qPrintable(label->objectName() + " is too narrow for its caption"));
    // Drawn from the top: nothing of the glyphs below the label's foot.
    QVERIFY2(metrics.ascent() + needed.bottom() < label->height(),
             qPrintable(label->objectName() + " is too low for its caption"));
  }
  for (QPushButton* button : window_->findChildren<QPushButton*>()) {
    QVERIFY(QFontMetrics(button->font()).horizontalAdvance(button->text()) < button->width() - 8);
  }
  // The usual results are shown whole.
  const struct {
    const char* box;
    const char* text;
  } kWidest[] = {{"Text5", "-150.0"}, {"Text11", ">100"}, {"Text12", "-99.99"},
                 {"Text14", "+"},     {"Text15", "-"},    {"Text13", "1000"}};
  for (const auto& widest : kWidest) {
    ui::TextBox* edit = box(widest.box);
    edit->setText(QString::fromLatin1(widest.text));
    QVERIFY2(edit->showsWholeText(), widest.box);
  }
}

void MainWindowLayoutTest::greekLettersAreDrawn() {
  // A face that lacks them, or maps them elsewhere, leaves the labels blank but for the
  // underline under Γ: look for ink above the baseline.
  const QImage image = window_->grab().toImage();
  const qreal ratio = image.devicePixelRatio();
  int labels = 0;
  for (QLabel* label : window_->findChildren<QLabel*>()) {
    if (label->text() != QStringLiteral("\u0393") && label->text() != QStringLiteral("\u03a9")) {
      continue;
    }
    ++labels;
    const int baseline = QFontMetrics(label->font()).ascent();
    int ink = 0;
    for (int y = label->y(); y < label->y() + baseline - 1; ++y) {
      for (int x = label->x(); x < label->x() + label->width(); ++x) {
        if (window_->childAt(x, y) != label) continue;  // under a box
        ink += image.pixelColor(QPointF(QPointF(x, y) * ratio).toPoint()).lightness() < 100;
      }
    }
    QVERIFY2(ink >= 10, qPrintable(label->objectName() + QStringLiteral(" in ") +
                                   QFontInfo(label->font()).family()));
  }
  QCOMPARE(labels, 7);
}

void MainWindowLayoutTest::colours() {
  const QImage image = window_->grab().toImage();
  const qreal ratio = image.devicePixelRatio();
  auto at = [&](int x, int y) {
    return image.pixelColor(QPointF(QPointF(x, y) * ratio).toPoint());
  };
  // Label3 hides the picture under the button face; the other labels let it show through.
  QCOMPARE(at(346, 119), window_->palette().color(QPalette::Button));
  QCOMPARE(at(258, 383), QColor(232, 232, 232));  // the foot of "RL ="
  // Text13 is white inside its frame.
  QCOMPARE(at(379, 142), QColor(255, 255, 255));
  // Result boxes use the window colour of the colour scheme.
  QCOMPARE(at(218, 238), box("Text5")->palette().color(QPalette::Base));
}

void MainWindowLayoutTest::startState() {
  QCOMPARE(box("Text13")->text(), QStringLiteral("50"));
  for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
    QCOMPARE(box(name)->text(), QStringLiteral("0"));
  }
  for (const char* name : kResults) QVERIFY(box(name)->text().isEmpty());
  QCOMPARE(QApplication::focusWidget(), box("Text13"));
}

// The focus indicator, as the pixels show it: at least 3 : 1 against the same pixels without the
// focus, over at least the area of a 2-pixel line round the control.
void MainWindowLayoutTest::focusIsSeen() {
  auto luminance = [](QRgb rgb) {
    auto channel = [](int c) {
      const double v = c / 255.0;
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
  };
  QWidget* elsewhere = control("Command2");
  for (QWidget* w : window_->findChildren<QWidget*>()) {
    if (w->focusPolicy() == Qt::NoFocus || w == elsewhere) continue;
    elsewhere->setFocus();
    const QImage before = window_->grab(w->geometry()).toImage();
    w->setFocus();
    QVERIFY(w->hasFocus());
    const QImage after = window_->grab(w->geometry()).toImage();
    qsizetype seen = 0;
    double weakest_ring = std::numeric_limits<double>::infinity();
    for (int y = 0; y < before.height(); ++y) {
      for (int x = 0; x < before.width(); ++x) {
        const double a = luminance(before.pixel(x, y)), b = luminance(after.pixel(x, y));
        const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
        if (ratio >= 3.0) ++seen;
        if (x < 2 || y < 2 || x >= before.width() - 2 || y >= before.height() - 2) {
          weakest_ring = std::min(weakest_ring, ratio);
        }
      }
    }
    const qsizetype needed = 4 * (w->width() + w->height()) - 16;
    qInfo("%s: %lld pixels at 3:1 or more (%lld needed); weakest on the edge %.2f : 1",
          qPrintable(w->objectName()), static_cast<long long>(seen), static_cast<long long>(needed),
          weakest_ring);
    QVERIFY2(seen >= needed, qPrintable(w->objectName()));
  }
  // Quit itself, against Calculate.
  control("Command1")->setFocus();
  const QImage before = window_->grab(elsewhere->geometry()).toImage();
  elsewhere->setFocus();
  QVERIFY(window_->grab(elsewhere->geometry()).toImage() != before);
}

void MainWindowLayoutTest::tabCycle() {
  const QList<QWidget*> order = {box("Text13"),      box("Text1"), box("Text2"),
                                 box("Text3"),       box("Text4"), control("Command1"),
                                 control("Command2")};
  // Twice round, with real key presses on whatever has the focus.
  for (int step = 1; step <= 2 * order.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), order[step % order.size()]);
  }
  // And back.
  for (int step = 2 * order.size() - 1; step >= 0; --step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), order[step % order.size()]);
  }
}

void MainWindowLayoutTest::enterAndEscapeDoNothing_data() {
  QTest::addColumn<QString>("focus");
  for (const char* name : {"Text13", "Text1", "Text4", "Command1", "Command2"}) {
    QTest::newRow(name) << QString::fromLatin1(name);
  }
}

void MainWindowLayoutTest::enterAndEscapeDoNothing() {
  QFETCH(QString, focus);
  QSignalSpy quit(window_.get(), &ui::MainWindow::quitRequested);
  QWidget* target = control(qPrintable(focus));
  target->setFocus();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QTest::keyClick(target, key);
  }
  for (const char* name : kResults) QVERIFY(box(name)->text().isEmpty());
  QCOMPARE(box("Text13")->text(), QStringLiteral("50"));
  QCOMPARE(reports_, 0);
  QCOMPARE(quit.count(), 0);
  QVERIFY(window_->isVisible());
  QCOMPARE(QApplication::focusWidget(), target);
}

void MainWindowLayoutTest::spaceBarPressesTheFocusedButton() {
  QSignalSpy quit(window_.get(), &ui::MainWindow::quitRequested);
  control("Command1")->setFocus();
  QTest::keyClick(control("Command1"), Qt::Key_Space);
  QCOMPARE(box("Text11")->text(), QStringLiteral(">100"));
  QCOMPARE(quit.count(), 0);

  control("Command2")->setFocus();
  QTest::keyClick(control("Command2"), Qt::Key_Space);
  QCOMPARE(quit.count(), 1);
  // Quit only asks; the window does not close itself.
  QVERIFY(window_->isVisible());
}

void MainWindowLayoutTest::resultBoxesTakeClicksAndTyping() {
  for (const char* name : kResults) {
    QLineEdit* result = box(name);
    QTest::mouseClick(result, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), result);
    QTest::keyClicks(result, "7x");
    QCOMPARE(result->text(), QStringLiteral("7x"));
  }
  // Tab leaves a result box for the next tab stop.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QVERIFY(QApplication::focusWidget()->focusPolicy() & Qt::TabFocus);
}

// Whether a box measures its text or sees at once that it fits, a text it shows whole fits into
// its line at the font it shows it in; the widest characters first, one more at a time.
void MainWindowLayoutTest::textShownWholeFits() {
  for (const char* name : {"Text5", "Text14", "Text11"}) {
    ui::TextBox* b = box(name);
    QStyleOptionFrame panel;
    panel.initFrom(b);
    panel.lineWidth = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, b);
    const int room =
        b->style()->subElementRect(QStyle::SE_LineEditContents, &panel, b).width() - 2 * 2;
    for (const QString& unit : {QStringLiteral("8"), QStringLiteral("\u221e"), QStringLiteral("-"),
                                QStringLiteral(">"), QStringLiteral("0.")}) {
      for (QString text = unit; text.size() < 16; text += unit) {
        b->setText(text);
        if (b->showsWholeText()) {
          QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(text) + 1 <= room,
                   qPrintable(QString::fromLatin1(name) + u' ' + text));
        }
      }
    }
  }
}

void MainWindowLayoutTest::inputShowsItsStartWhenLeft() {
  // Typed with the cursor at its end, a long entry is shown from its start once the focus leaves.
  ui::TextBox* magnitude = box("Text1");
  magnitude->setFocus();
  magnitude->selectAll();
  QTest::keyClicks(magnitude, QStringLiteral("0.000001234"));
  QTest::keyClick(magnitude, Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), box("Text2"));
  QCOMPARE(magnitude->text(), QStringLiteral("0.000001234"));
  const QString shown = magnitude->shownText();
  QVERIFY2(shown.startsWith(QStringLiteral("0.0000")) && shown.endsWith(QChar(0x2026)),
           qPrintable(shown));
  const QImage left = magnitude->grab().toImage();
  magnitude->setCursorPosition(0);
  QCOMPARE(magnitude->grab().toImage(), left);
}

void MainWindowLayoutTest::helpTexts_data() {
  QTest::addColumn<QStringList>("words");
  const QString log_1m = QStringLiteral("log10(1 \u2212 M)");
  QTest::newRow("Text13") << QStringList{"Reference impedance", "ohms"};
  QTest::newRow("Text1") << QStringList{"source reflection coefficient", "Magnitude"};
  QTest::newRow("Text2") << QStringList{"source reflection coefficient", "degrees"};
  QTest::newRow("Text3") << QStringList{"load reflection coefficient", "Magnitude"};
  QTest::newRow("Text4") << QStringList{"load reflection coefficient", "degrees"};
  QTest::newRow("Text5") << QStringList{"Source impedance", "resistance", "ohms"};
  QTest::newRow("Text14") << QStringList{"Source impedance", "sign of the reactance"};
  QTest::newRow("Text6") << QStringList{"Source impedance", "reactance", "ohms"};
  QTest::newRow("Text7") << QStringList{"Load impedance", "resistance", "ohms"};
  QTest::newRow("Text15") << QStringList{"Load impedance", "sign of the reactance"};
  QTest::newRow("Text8") << QStringList{"Load impedance", "reactance", "ohms"};
  QTest::newRow("Text11") << QStringList{"Return loss", "junction", "decibels",
                                         log_1m,        ">100",     "perfect conjugate match"};
  QTest::newRow("Text12") << QStringList{"Mismatch loss", "decibels", "log10 M"};
}

void MainWindowLayoutTest::helpTexts() {
  QFETCH(QStringList, words);
  QLineEdit* edit = box(QTest::currentDataTag());
  QVERIFY(!edit->accessibleName().isEmpty());
  for (const QString& word : words) {
    QVERIFY2(edit->toolTip().contains(word, Qt::CaseInsensitive), qPrintable(word));
  }
}

void MainWindowLayoutTest::picture() {
  const QImage image = window_->grab().toImage();
  QCOMPARE(image.size(), QSize(812, 541) * image.devicePixelRatio());
  const QColor face = window_->palette().color(QPalette::Button);
  auto at = [&image](int x, int y) {
    return image.pixelColor(QPointF(QPointF(x, y) * image.devicePixelRatio()).toPoint());
  };
  // The light grey ground, at its natural size from the top-left corner.
  QCOMPARE(at(20, 100), QColor(232, 232, 232));
  QCOMPARE(at(809, 539), QColor(232, 232, 232));
  // The strip the picture leaves uncovered.
  QCOMPARE(at(811, 300), face);
  QCOMPARE(at(400, 540), face);
  // The junction line, black, at x 405 from y 157 to 408.
  QVERIFY(at(405, 300).lightness() < 40);
  QCOMPARE(at(405, 420), QColor(232, 232, 232));
  // The waves: blue incident above red reflected on the source side, green transmitted beyond.
  const QColor incident = at(200, 279), reflected = at(350, 307), transmitted = at(500, 292);
  QVERIFY(incident.blue() > 150 && incident.red() < 100);
  QVERIFY(reflected.red() > 150 && reflected.blue() < 100);
  QVERIFY(transmitted.green() > 120 && transmitted.red() < 100 && transmitted.blue() < 100);
  // The white box of the web address.
  QCOMPARE(at(580, 505), QColor(255, 255, 255));
}

// The window shows its picture, without scaling, from pixels rendered when the program was built:
// width and height, then premultiplied 0xAARRGGBB pixels. They are the drawing's pixels.
void MainWindowLayoutTest::pictureIsTheDrawingRenderedAtBuild() {
  const QResource built(":/main_window/background.argb32");
  QVERIFY(built.isValid());
  QCOMPARE(built.compressionAlgorithm(), QResource::NoCompression);
  QSvgRenderer renderer(QString(":/main_window/background.svg"));
  QImage drawing(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
  drawing.fill(Qt::transparent);
  {
    QPainter painter(&drawing);
    renderer.render(&painter);
  }
  QCOMPARE(built.size(), 8 + drawing.sizeInBytes());
  std::uint32_t size[2];
  std::memcpy(size, built.data(), sizeof size);
  QCOMPARE(QSize(int(size[0]), int(size[1])), QSize(810, 540));
  QVERIFY(std::memcmp(built.data() + 8, drawing.constBits(), drawing.sizeInBytes()) == 0);
}

void MainWindowLayoutTest::enlargingMovesNothing() {
  QHash<QWidget*, QRect> before;
  for (QWidget* child : window_->findChildren<QWidget*>()) before[child] = child->geometry();
  window_->resize(1000, 700);
  QTRY_COMPARE(window_->size(), QSize(1000, 700));
  for (QWidget* child : window_->findChildren<QWidget*>()) {
    QCOMPARE(child->geometry(), before.value(child));
  }
  const QImage image = window_->grab().toImage();
  const qreal ratio = image.devicePixelRatio();
  QCOMPARE(image.pixelColor(QPoint(900, 650) * ratio), window_->palette().color(QPalette::Button));
  QCOMPARE(image.pixelColor(QPoint(20, 100) * ratio), QColor(232, 232, 232));
  QVERIFY(image.pixelColor(QPoint(405, 300) * ratio).lightness() < 40);
}

void MainWindowLayoutTest::closeBoxClosesTheWindow() {
  QSignalSpy quit(window_.get(), &ui::MainWindow::quitRequested);
  QVERIFY(window_->close());
  QVERIFY(!window_->isVisible());
  QCOMPARE(quit.count(), 0);
}

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
