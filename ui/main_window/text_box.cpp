#include "ui/main_window/text_box.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/number_format.h"
#include "ui/common/fonts.h"

namespace ui {

namespace {

const QChar kCutMark(0x2026);        // …
const QChar kShortenedMark(0x2248);  // ≈, before a number shown in its compact form
// The most significant digits a compact form keeps: as many as the texts of numbers have.
constexpr int kMostCompactDigits = 15;

// What results are written with: digits, signs, the point, ">" of ">100", "∞" and blanks.
constexpr char16_t kNarrowCharacters[] = u"0123456789.,+-> \u221e";

// The longest piece of the text that the tooltip and the accessible description repeat; the whole
// text is always there to select and copy.
constexpr qsizetype kLongestHelpText = 1000;
// Tooltips do not wrap plain text: lines are broken at a readable length, between words where
// there are spaces, and anywhere in a long number.
constexpr qsizetype kTooltipLineLength = 60;

// The line edit's own margin between its contents and the text, on either side.
constexpr int kHorizontalMargin = 2;

// The relative luminance of a colour, and the contrast ratio of two (WCAG 2).
double Luminance(const QColor& colour) {
  const auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How far the text colour is moved towards the box's (0 not at all, 1 all the way) to keep 4.5 : 1
// against it: black on white becomes a mid grey, plainly dimmer and still readable in any colour
// scheme. A text that has no more contrast than that is not moved.
double Dimming(const QColor& text, const QColor& base) {
  constexpr double kDimmedContrast = 4.5;
  // Every box has the same colours: the last answer is kept (the boxes live on the GUI thread).
  static QColor last_text, last_base;
  static double last_dimming = 0.0;
  if (text == last_text && base == last_base) return last_dimming;
  const auto mix = [&](double t) {
    return QColor::fromRgbF(static_cast<float>(text.redF() + t * (base.redF() - text.redF())),
                            static_cast<float>(text.greenF() + t * (base.greenF() - text.greenF())),
                            static_cast<float>(text.blueF() + t * (base.blueF() - text.blueF())));
  };
  double low = 0.0, high = 1.0;  // the contrast falls as the mix moves towards the box's colour
  if (Contrast(text, base) > kDimmedContrast) {
    for (int i = 0; i < 20; ++i) {
      const double middle = (low + high) / 2;
      (Contrast(mix(middle), base) >= kDimmedContrast ? low : high) = middle;
    }
  }
  last_text = text;
  last_base = base;
  last_dimming = low;
  return low;
}

bool FitsOnLine(const QFont& font, const QString& text, int room) {
  // Every character is at least a pixel wide: a longer text cannot fit, and is not measured.
  if (text.size() > room) return false;
  // The line edit scrolls unless it has a pixel to spare for the cursor.
  return QFontMetrics(font).horizontalAdvance(text) + 1 <= room;
}

QString Shortened(const QString& text) {
  return text.size() <= kLongestHelpText ? text : text.left(kLongestHelpText) + kCutMark;
}

QString Wrapped(const QString& text) {
  QString wrapped;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    if (!wrapped.isEmpty()) wrapped += QLatin1Char('\n');
    qsizetype line = 0;  // the length of the line being filled
    for (QString word : paragraph.split(QLatin1Char(' '))) {
      if (line > 0 && line + 1 + word.size() > kTooltipLineLength) {
        wrapped += QLatin1Char('\n');
        line = 0;
      } else if (line > 0) {
        wrapped += QLatin1Char(' ');
        ++line;
      }
      while (word.size() > kTooltipLineLength) {
        wrapped += word.left(kTooltipLineLength) + QLatin1Char('\n');
        word.remove(0, kTooltipLineLength);
      }
      wrapped += word;
      line += word.size();
    }
  }
  return wrapped;
}

}  // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
  // The boxes have no length limit (Qt's default silently cuts at 32767 characters).
  setMaxLength(std::numeric_limits<int>::max());
  connect(this, &QLineEdit::textChanged, this, &TextBox::fitText);
}

void TextBox::setDesignFont(const QFont& font) {
  design_font_ = font;
  // The widest of the characters that results are written with, in the design font.
  const QFontMetrics metrics(font);
  narrow_advance_ = 0;
  for (QChar c : QStringView(kNarrowCharacters)) {
    narrow_advance_ = std::max(narrow_advance_, metrics.horizontalAdvance(c));
  }
  setFont(font);
  fitText();
}

void TextBox::setCompactNumbers(bool compact) {
  compact_numbers_ = compact;
  update();
}

void TextBox::setCurrent(bool current) {
  if (current == current_) return;
  current_ = current;
  update();
  invalidateHelp();
}

void TextBox::setExplanation(const QString& explanation) {
  explanation_ = explanation;
  updateHelp();
}

void TextBox::setDetailsSource(std::function<QString()> source) {
  details_ = std::move(source);
  invalidateHelp();
}

QString TextBox::details() const {
  return details_ ? details_() : QString();
}

void TextBox::detailsChanged() {
  invalidateHelp();
}

void TextBox::invalidateHelp() {
  help_stale_ = true;
  if (QAccessible::isActive()) updateHelp();
}

bool TextBox::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && help_stale_) updateHelp();
  return QLineEdit::event(event);
}

QString TextBox::shownText() const {
  const QString text = this->text();
  if (whole_) return text;
  const QFontMetrics metrics = fontMetrics();
  const int room = lineRect().width();
  // A result that is a number keeps its size: its scientific form with as many digits as fit,
  // marked as shortened.
  if (compact_numbers_) {
    const std::string number = text.toStdString();
    for (int digits = kMostCompactDigits; digits >= 2; --digits) {
      const std::string compact = platform::CompactDecimal(number, digits);
      if (compact.empty()) break;
      const QString shown = kShortenedMark + QString::fromStdString(compact);
      if (metrics.horizontalAdvance(shown) <= room) return shown;
    }
  }
  // Other text: the longest start that fits with the cut mark after it.
  qsizetype shown = 0;
  qsizetype longest = std::min<qsizetype>(text.size(), room);
  while (shown < longest) {
    const qsizetype middle = (shown + longest + 1) / 2;
    if (metrics.horizontalAdvance(text.left(middle) + kCutMark) <= room) {
      shown = middle;
    } else {
      longest = middle - 1;
    }
  }
  if (shown > 0 && text.at(shown - 1).isHighSurrogate()) --shown;
  return text.left(shown) + kCutMark;
}

void TextBox::paintEvent(QPaintEvent* event) {
  // While the box has the focus, the user edits and scrolls the whole text as usual.
  if (whole_ || hasFocus()) {
    QLineEdit::paintEvent(event);
  } else {
    paintShortened();
  }
  if (current_) return;
  // A text that is not current shows through a veil of the box's own colour, which moves its
  // colour towards the box's as far as Dimming says (rounded down, so never further); the box
  // itself stays as it is.
  const QColor text = palette().color(QPalette::Text);
  QColor veil = palette().color(QPalette::Base);
  veil.setAlpha(static_cast<int>(std::floor(Dimming(text, veil) * 255)));
  QStyleOptionFrame panel;
  initStyleOption(&panel);
  QPainter painter(this);
  painter.fillRect(style()->subElementRect(QStyle::SE_LineEditContents, &panel, this), veil);
}

void TextBox::paintShortened() {
  QPainter painter(this);
  QStyleOptionFrame panel;
  initStyleOption(&panel);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
  const QRect line = lineRect();
  painter.setClipRect(line.adjusted(-kHorizontalMargin, 0, kHorizontalMargin, 0));
  painter.setPen(palette().color(QPalette::Text));
  // A shortened text placed as the box places its text; a cut one fills the line anyway. A
  // compact number may be drawn larger than the whole text could, up to the box's design size.
  const QString shown = shownText();
  QFont font = this->font();
  if (shown.startsWith(kShortenedMark)) {
    for (int pixels = font.pixelSize() + 1; pixels <= design_font_.pixelSize(); ++pixels) {
      QFont larger = font;
      larger.setPixelSize(pixels);
      if (!FitsOnLine(larger, shown, line.width())) break;
      font = larger;
    }
  }
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const int spare = std::max(0, line.width() - metrics.horizontalAdvance(shown));
  const Qt::Alignment horizontal = QStyle::visualAlignment(layoutDirection(), alignment());
  const int left = horizontal & Qt::AlignHCenter ? line.left() + spare / 2
                   : horizontal & Qt::AlignRight ? line.left() + spare
                                                 : line.left();
  const int baseline = line.top() + (line.height() + metrics.ascent() - metrics.descent()) / 2;
  painter.drawText(QPoint(left, baseline), shown);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QLineEdit::mouseDoubleClickEvent(event);
    return;
  }
  selectAll();
  event->accept();
}

void TextBox::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  room_ = -1;
  fitText();
}

bool TextBox::plainlyFits(const QString& text, int room) const {
  // A short text of digits, signs and points fits without being measured when even that many of
  // the widest of them would (shaping never widens these characters).
  if (narrow_advance_ <= 0 || text.size() * narrow_advance_ + 1 > room) return false;
  return std::all_of(text.begin(), text.end(),
                     [](QChar c) { return QStringView(kNarrowCharacters).contains(c); });
}

void TextBox::fitText() {
  if (design_font_.pixelSize() <= 0) return;  // not laid out yet
  const QString text = this->text();
  // The width of the line does not depend on the font: it is measured once for each size.
  if (room_ < 0) room_ = lineRect().width();
  const int room = room_;
  QFont font = design_font_;
  bool whole = true;
  if (!plainlyFits(text, room)) {
    for (int pixels = design_font_.pixelSize();; --pixels) {
      font.setPixelSize(pixels);
      if (FitsOnLine(font, text, room)) break;
      if (pixels <= kMinimumTextPixels) {
        whole = false;
        break;
      }
    }
  }
  if (font != this->font()) setFont(font);
  // The help names the text only while it is cut: a text shown whole leaves it as it was.
  if (whole != whole_) {
    whole_ = whole;
    update();
  } else if (whole) {
    return;
  }
  invalidateHelp();
}

QString TextBox::help() const {
  QString help = explanation_;
  auto add = [&help](const QString& line) {
    if (line.isEmpty()) return;
    if (!help.isEmpty()) help += QLatin1Char('\n');
    help += line;
  };
  // A text that no longer matches the inputs offers nothing more of what it was computed from.
  if (!current_) {
    add(tr("not current: the inputs have changed since"));
    return help;
  }
  add(details());
  if (!whole_) add(tr("Full value: %1").arg(Shortened(text())));
  return help;
}

void TextBox::updateHelp() {
  help_stale_ = false;
  const QString description = help();
  QString tooltip = Wrapped(description);
  // The text may be the user's: a tooltip that could be taken for markup is shown as plain text.
  if (Qt::mightBeRichText(tooltip)) tooltip = Qt::convertFromPlainText(tooltip);
  if (tooltip != toolTip()) setToolTip(tooltip);
  if (description != accessibleDescription()) setAccessibleDescription(description);
}

QRect TextBox::lineRect() const {
  // As the line edit lays out its text: inside the frame and the text margins, then its own
  // horizontal margin; one line high, centred vertically.
  QStyleOptionFrame panel;
  initStyleOption(&panel);
  const QRect contents = style()
                             ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
                             .marginsRemoved(textMargins());
  const int height = fontMetrics().height();
  return {contents.x() + kHorizontalMargin, contents.y() + (contents.height() - height + 1) / 2,
          contents.width() - 2 * kHorizontalMargin, height};
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_text_box.cpp"
