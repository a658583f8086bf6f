#include "ui/closing_screen/closing_screen.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QTimer>

namespace ui {
namespace {

using namespace Qt::StringLiterals;

// The form designer measures in twips; at 96 pixels per inch a pixel is 15 twips.
constexpr int Px(int twips) {
  return twips / 15;
}

constexpr QColor kBackground(224, 224, 224);
constexpr QColor kBlue(0, 0, 255);

// Fonts are asked for by the designed face first. Where it is missing (everywhere but on
// Windows), fontconfig takes the next family listed. MS Sans Serif falls back to Liberation Sans
// (Debian's fonts-liberation2), which has Arial's metrics and comes nearest to its proportions.
// Arial Black has no counterpart among Debian's fonts: it falls back to Liberation Sans in its
// heaviest face, bold, Arial's own bold. That keeps the web address between the two lines that
// flank it; the wider DejaVu Sans Bold would run into them, so DejaVu Sans is only the last
// resort.
QFont SansSerifFont(qreal points, QFont::Weight weight, bool italic) {
  QFont font;
  font.setFamilies({u"MS Sans Serif"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setWeight(weight);
  font.setItalic(italic);
  return font;
}

QFont ArialBlackFont(qreal points) {
  QFont font;
  font.setFamilies({u"Arial Black"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setWeight(QFont::Black);  // Arial Black's only weight; elsewhere the boldest face there is
  return font;
}

struct LabelDesign {
  const char* name;
  const char* caption;
  QFont font;
  int left, top, width, height;  // twips
  bool blue;
};

// The three centred, transparent captions.
void AddLabel(QWidget* parent, const LabelDesign& design) {
  auto* label = new QLabel(QString::fromUtf8(design.caption), parent);
  label->setObjectName(design.name);
  label->setFont(design.font);
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
  // Client area 9615 x 4425 twips with its top-left corner at (2910, 3060) on the screen.
  setGeometry(Px(2910), Px(3060), Px(9615), Px(4425));
  setFixedSize(Px(9615), Px(4425));

  QPalette background = palette();
  background.setColor(QPalette::Window, kBackground);
  setPalette(background);
  setAutoFillBackground(true);

  // The lines lie below the captions, which are transparent.
  auto* line2 = new LineControl(this, QLine(Px(720), Px(2520), Px(3120), Px(2520)), 6, kBlue);
  line2->setObjectName("Line2");
  auto* line1 = new LineControl(this, QLine(Px(6840), Px(2520), Px(9240), Px(2520)), 6, kBlue);
  line1->setObjectName("Line1");

  const LabelDesign labels[] = {
      {"Label1", "Halvorn offers the complete servive", SansSerifFont(18, QFont::Bold, false), 1320,
       480, 7215, 495, false},
      {"Label2", "Design - Training - Coaching", SansSerifFont(13.5, QFont::Bold, true), 2040, 1200,
       5775, 615, false},
      {"Label3", "www.halvorn.example", ArialBlackFont(15.75), 1920, 2280, 6015, 855, true},
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
