#include "ui/closing_screen/closing_screen.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <algorithm>

#include "ui/common/fonts.h"
#include "ui/common/palette.h"
#include "ui/common/placement.h"

namespace ui {
namespace {

using namespace Qt::StringLiterals;

// The form designer measures in twips; at 96 pixels per inch a pixel is 15 twips.
constexpr int Px(int twips) {
  return twips / 15;
}

constexpr QColor kBackground(224, 224, 224);
constexpr QColor kBlue(0, 0, 255);

// The designed sizes at 96 dpi, in pixels so that the captions keep to the fixed layout whatever
// the desktop's font resolution: 18 pt is 24 px, 15.75 pt 21 px, 13.5 pt 18 px. The captions are
// in the main window's text family; the web address asks for Arial Black first, and where it is
// missing takes the heaviest face of the text family.
QFont ArialBlackFont(int pixels) {
  QFont font = TextFont(pixels, QFont::Black);  // Arial Black's only weight
  font.setFamilies({QStringLiteral("Arial Black"), TextFamily()});
  return font;
}

struct LabelDesign {
  const char* name;
  const char* caption;
  QFont font;
  int left, top, width, height;  // twips
  bool blue;
  int textWidth;  // pixels the caption may take; it is shrunk to fit where the face is wider
};

// The three centred, transparent captions.
void AddLabel(QWidget* parent, const LabelDesign& design) {
  auto* label = new QLabel(QString::fromUtf8(design.caption), parent);
  label->setObjectName(design.name);
  label->setFont(FitFont(design.font, label->text(), QSize(design.textWidth, Px(design.height))));
  label->setGeometry(Px(design.left), Px(design.top), Px(design.width), Px(design.height));
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText,
                   design.blue ? kBlue : palette.color(QPalette::Active, QPalette::ButtonText));
  label->setPalette(palette);
}

}  // namespace

LineControl::LineControl(QWidget* parent, const QLine& line, int width, const QColor& color)
    : QWidget(parent), line_(line), width_(width), color_(color) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // The pen's round ends reach half the width beyond each end point.
  const int half = (width + 1) / 2;
  const QRect bounds = QRect(line.p1(), line.p2()).normalized();
  setGeometry(bounds.adjusted(-half, -half, half, half));
}

void LineControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(color_, width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLine(line_.translated(-pos()));
}

ClosingScreen::ClosingScreen(std::chrono::milliseconds interval, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      timer_(new QTimer(this)) {
  setObjectName("Form2");
  setWindowTitle(u"Bye"_s);
  // Client area 9615 x 4425 twips with its top-left corner at (2910, 3060) on the screen, or as
  // near as keeps the window on a small screen.
  setFixedSize(Px(9615), Px(4425));
  PlaceWindow(this, QPoint(Px(2910), Px(3060)));

  // Light colours whatever the desktop's colour scheme, on the designed grey.
  QPalette background = LightPalette();
  background.setColor(QPalette::Window, kBackground);
  setPalette(background);
  setAutoFillBackground(true);

  // The lines lie below the captions, which are transparent.
  auto* line2 = new LineControl(this, QLine(Px(720), Px(2520), Px(3120), Px(2520)), 6, kBlue);
  line2->setObjectName("Line2");
  auto* line1 = new LineControl(this, QLine(Px(6840), Px(2520), Px(9240), Px(2520)), 6, kBlue);
  line1->setObjectName("Line1");

  // The web address keeps clear of the lines' round ends, with a pixel to spare, on either side
  // of its label's centre.
  const int addressCentre = Px(1920) + Px(6015) / 2;
  const int addressReach =
      std::min(addressCentre - (Px(3120) + 3), (Px(6840) - 3) - addressCentre) - 1;
  const LabelDesign labels[] = {
      {"Label1", "Halvorn offers the complete servive", TextFont(24, QFont::Bold), 1320, 480, 7215,
       495, false, Px(7215)},
      {"Label2", "Design - Training - Coaching", TextFont(18, QFont::Bold, true), 2040, 1200, 5775,
       615, false, Px(5775)},
      {"Label3", "www.halvorn.example", ArialBlackFont(21), 1920, 2280, 6015, 855, true,
       2 * addressReach},
  };
  for (const LabelDesign& label : labels) AddLabel(this, label);

  // Timer1 counts from here, when the screen is loaded, not from when it is shown.
  timer_->setObjectName("Timer1");
  timer_->setInterval(interval);
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
  connect(timer_, &QTimer::timeout, this, &ClosingScreen::finish);
  timer_->start();
}

void ClosingScreen::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) finish();
}

void ClosingScreen::finish() {
  if (finished_) return;
  finished_ = true;
  timer_->stop();
  emit timeUp();
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_closing_screen.cpp"
