// What keyboard and screen-reader users get that others see: the boxes' text as a screen reader
// asks for it, the window's commands from any box, and the details window's role, note and focus.
// Over AT-SPI itself, see tests/a11y.
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <cmath>
#include <memory>

#include "ui/details_window/details_window.h"
#include "ui/main_window/announcer.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/text_box.h"
#include "ui/main_window/text_box_accessible.h"

using namespace Qt::StringLiterals;
using ui::TextPiece;

Q_DECLARE_METATYPE(QAccessible::TextBoundaryType)
Q_DECLARE_METATYPE(ui::TextPiece)

namespace {

const char* const kInputs[] = {"Text13", "Text1", "Text2", "Text3", "Text4"};

double Luminance(QRgb rgb) {
  auto channel = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

}  // namespace

class KeyboardAndReaderTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void pieceOfText_data();
  void pieceOfText();
  void boxAnswersThroughItsInterface();
  void everyBoxOffersTheWindowsCommands();
  void copyingSaysSo();
  void detailsWindowForScreenReaders();
  void detailsWindowShowsItsFocus_data();
  void detailsWindowShowsItsFocus();

 private:
  ui::TextBox* box(const char* name) const {
    return window_->findChild<ui::TextBox*>(QString::fromLatin1(name));
  }
  ui::DetailsWindow* calculateAndShowDetails() {
    const QStringList inputs = {u"50"_s, u"0.5"_s, u"90"_s, u"0.2"_s, u"0"_s};
    for (int i = 0; i < 5; ++i) box(kInputs[i])->setText(inputs[i]);
    window_->calculate();
    QTest::keyClick(window_.get(), Qt::Key_I, Qt::ControlModifier);
    ui::DetailsWindow* details = window_->detailsWindow();
    if (details && !QTest::qWaitForWindowActive(details)) return nullptr;
    return details;
  }

  std::unique_ptr<ui::MainWindow> window_;
};

void KeyboardAndReaderTest::init() {
  window_ = std::make_unique<ui::MainWindow>();
  window_->setErrorReporter([](QWidget*, const QString& message) { QFAIL(qPrintable(message)); });
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void KeyboardAndReaderTest::cleanup() {
  window_.reset();
  QToolTip::hideText();
}

void KeyboardAndReaderTest::pieceOfText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("offset");
  QTest::addColumn<QAccessible::TextBoundaryType>("boundary");
  QTest::addColumn<TextPiece>("which");
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("end");
  constexpr auto kChar = QAccessible::CharBoundary;
  constexpr auto kWord = QAccessible::WordBoundary;
  constexpr auto kLine = QAccessible::LineBoundary;
  constexpr auto kAt = TextPiece::kAt;
  // The end of the text is where Qt's own answer never came.
  QTest::newRow("word at the end of 50") << u"50"_s << 2 << kWord << kAt << 0 << 2;
  QTest::newRow("word inside 50") << u"50"_s << 1 << kWord << kAt << 0 << 2;
  QTest::newRow("word at the end of RL 14 dB") << u"RL 14 dB"_s << 8 << kWord << kAt << 6 << 8;
  QTest::newRow("a word takes the blank after it") << u"RL 14 dB"_s << 2 << kWord << kAt << 0 << 3;
  QTest::newRow("word before the last")
      << u"RL 14 dB"_s << 8 << kWord << TextPiece::kBefore << 3 << 6;
  QTest::newRow("word after the first")
      << u"RL 14 dB"_s << 0 << kWord << TextPiece::kAfter << 3 << 6;
  QTest::newRow("nothing after the last word")
      << u"RL 14 dB"_s << 7 << kWord << TextPiece::kAfter << 8 << 8;
  QTest::newRow("nothing before the first word")
      << u"RL 14 dB"_s << 1 << kWord << TextPiece::kBefore << 0 << 0;
  QTest::newRow("a decimal is one word") << u"0.5"_s << 3 << kWord << kAt << 0 << 3;
  QTest::newRow("sign, then digits") << u"-45"_s << 3 << kWord << kAt << 1 << 3;
  QTest::newRow("character at the end") << u"-45"_s << 3 << kChar << kAt << 3 << 3;
  QTest::newRow("last character") << u"-45"_s << 3 << kChar << TextPiece::kBefore << 2 << 3;
  QTest::newRow("one digit") << u"0"_s << 0 << kChar << kAt << 0 << 1;
  QTest::newRow("a character outside the BMP") << u"\U0001D7D3"_s << 0 << kChar << kAt << 0 << 2;
  QTest::newRow("line at the end") << u"VSWR 1.5"_s << 8 << kLine << kAt << 0 << 8;
  QTest::newRow("last sentence") << u"One. Two."_s << 9 << QAccessible::SentenceBoundary << kAt << 5
                                 << 9;
  QTest::newRow("empty box") << QString() << 0 << kWord << kAt << 0 << 0;
  QTest::newRow("beyond the end") << u"50"_s << 3 << kWord << kAt << -1 << -1;
  QTest::newRow("before the start") << u"50"_s << -1 << kChar << kAt << -1 << -1;
}

void KeyboardAndReaderTest::pieceOfText() {
  QFETCH(QString, text);
  QFETCH(int, offset);
  QFETCH(QAccessible::TextBoundaryType, boundary);
  QFETCH(TextPiece, which);
  QFETCH(int, start);
  QFETCH(int, end);
  const ui::TextSpan span = ui::PieceOfText(text, offset, boundary, which);
  QCOMPARE(span.start, start);
  QCOMPARE(span.end, end);
}

void KeyboardAndReaderTest::boxAnswersThroughItsInterface() {
  for (const char* name : {"Text3", "Text12"}) {
    ui::TextBox* b = box(name);
    b->setText(u"RL 14 dB"_s);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(b);
    QVERIFY(face && face->textInterface() && face->editableTextInterface());
    QCOMPARE(face->role(), QAccessible::EditableText);
    QCOMPARE(face->text(QAccessible::Value), u"RL 14 dB"_s);
    QAccessibleTextInterface* text = face->textInterface();
    int start = -1, end = -1;
    QCOMPARE(text->textAtOffset(8, QAccessible::WordBoundary, &start, &end), u"dB"_s);
    // One attribute run over the whole text, wherever asked.
    for (int offset : {0, 4, 8}) {
      text->attributes(offset, &start, &end);
      QCOMPARE(start, 0);
      QCOMPARE(end, 8);
    }
    // An edit at an offset beyond the text goes to its end.
    face->editableTextInterface()->insertText(1000, u"!"_s);
    QCOMPARE(b->text(), u"RL 14 dB!"_s);
    face->editableTextInterface()->deleteText(-5, 3);
    QCOMPARE(b->text(), u"14 dB!"_s);
  }
}

void KeyboardAndReaderTest::everyBoxOffersTheWindowsCommands() {
  for (ui::TextBox* b : window_->findChildren<ui::TextBox*>()) {
    b->setFocus();
    // As a keyboard user opens the menu without a Menu key.
    QTest::keyClick(b, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY2(menu, qPrintable(b->objectName()));
    QStringList commands;
    for (QAction* action : menu->actions()) {
      commands << action->text() + u' ' + action->shortcut().toString();
    }
    menu->close();
    QVERIFY2(commands.contains(u"Copy all results Ctrl+Shift+C"_s), qPrintable(commands.join(',')));
    QVERIFY2(commands.contains(u"Details\u2026 Ctrl+I"_s), qPrintable(commands.join(',')));
    // Its own editing commands stay.
    QVERIFY(commands.size() > 4);
  }
  const QString tip = window_->findChild<QPushButton*>(u"Command1"_s)->toolTip();
  QVERIFY2(tip.contains(u"Ctrl+I"_s) && tip.contains(u"Ctrl+Shift+C"_s), qPrintable(tip));
}

void KeyboardAndReaderTest::copyingSaysSo() {
  auto* said = window_->findChild<ui::Announcer*>(u"CopiedAnnouncer"_s);
  QVERIFY(said);
  ui::DetailsWindow* details = calculateAndShowDetails();
  QVERIFY(details);
  // Both shortcuts work in the details window, with the focus on its text.
  auto* text = details->findChild<QPlainTextEdit*>();
  text->setFocus();
  QApplication::clipboard()->clear();
  QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  QVERIFY(QApplication::clipboard()->text().startsWith(u"Z0 = 50 \u03a9\n"_s));
  QVERIFY(QToolTip::isVisible());
  QVERIFY(QToolTip::text().startsWith(u"Copied"_s));
  QCOMPARE(said->text(), QToolTip::text());
  details->close();
  QTRY_VERIFY(!details->isVisible());
  QTest::keyClick(window_.get(), Qt::Key_I, Qt::ControlModifier);
  QVERIFY(details->isVisible());
  QVERIFY(QTest::qWaitForWindowActive(details));
  QTest::keyClick(text, Qt::Key_I, Qt::ControlModifier);
  QVERIFY(details->isVisible());
  // A copy belongs to the inputs it was made from: an edit takes the note away.
  box("Text3")->setText(u"0.3"_s);
  QCOMPARE(said->text(), QString());
}

void KeyboardAndReaderTest::detailsWindowForScreenReaders() {
  // Opened for the first time after an edit, it says so at once.
  window_->calculate();
  box("Text1")->setText(u"0.6"_s);
  QTest::keyClick(window_.get(), Qt::Key_I, Qt::ControlModifier);
  ui::DetailsWindow* details = window_->detailsWindow();
  QVERIFY(details);
  auto* note = details->findChild<QLabel*>(u"DetailsInputsChanged"_s);
  QVERIFY(note && note->isVisible());
  QCOMPARE(QAccessible::queryAccessibleInterface(details)->role(), QAccessible::Window);
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(note);
  QCOMPARE(face->role(), QAccessible::Notification);
  QCOMPARE(face->text(QAccessible::Name), note->text());
  QVERIFY(note->text().contains(u"changed"_s));
  QVERIFY(QFontInfo(note->font()).bold());
  // Gone with the next Calculate, back with the next edit.
  QVERIFY(calculateAndShowDetails());
  QVERIFY(note->isHidden());
  box("Text2")->setText(u"45"_s);
  QVERIFY(note->isVisible());
}

// The focus in the details window, as the pixels show it: at least 3 : 1 against the same pixels
// without the focus, over at least the area of a 2-pixel line round the control, in the light
// and in a dark colour scheme.
void KeyboardAndReaderTest::detailsWindowShowsItsFocus_data() {
  QTest::addColumn<bool>("dark");
  QTest::newRow("light") << false;
  QTest::newRow("dark") << true;
}

void KeyboardAndReaderTest::detailsWindowShowsItsFocus() {
  QFETCH(bool, dark);
  ui::DetailsWindow* details = calculateAndShowDetails();
  QVERIFY(details);
  if (dark) {
    QPalette palette = details->palette();
    palette.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xec));
    palette.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
    palette.setColor(QPalette::Text, QColor(0xee, 0xee, 0xec));
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xec));
    details->setPalette(palette);
  }
  details->activateWindow();
  QTRY_VERIFY(details->isActiveWindow());
  QWidget* text = details->findChild<QPlainTextEdit*>();
  QWidget* copy = details->findChild<QPushButton*>(u"DetailsCopy"_s);
  for (auto [control, elsewhere] : {std::pair{text, copy}, std::pair{copy, text}}) {
    const QRect around = control->geometry().adjusted(-4, -4, 4, 4);
    elsewhere->setFocus();
    const QImage before = details->grab(around).toImage();
    control->setFocus();
    QVERIFY(control->hasFocus());
    const QImage after = details->grab(around).toImage();
    qsizetype seen = 0;
    for (int y = 0; y < before.height(); ++y) {
      for (int x = 0; x < before.width(); ++x) {
        const double a = Luminance(before.pixel(x, y)), b = Luminance(after.pixel(x, y));
        if ((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 3.0) ++seen;
      }
    }
    const qsizetype needed = 4 * (control->width() + control->height());
    QVERIFY2(seen >= needed,
             qPrintable(u"%1: %2 of %3"_s.arg(control->objectName()).arg(seen).arg(needed)));
  }
}

QTEST_MAIN(KeyboardAndReaderTest)
#include "keyboard_and_reader_test.moc"
