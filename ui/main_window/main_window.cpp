#include "ui/main_window/main_window.h"

#include <QMessageBox>
#include <QPainter>
#include <QSvgRenderer>
#include <string_view>

#include "calc/calculate_texts.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "ui_main_window.h"

namespace ui {

namespace {

// The window's fonts, by the names the form gives them in its "fontKind" property (W, the
// window font, is inherited by every control without one).
//
// Each font names its design family first. Where that family is missing, as on Linux,
// Liberation Sans (Debian package fonts-liberation2) stands in: it has Arial's metrics, the
// nearest widths to MS Sans Serif among the fonts Debian ships, so every caption fits its label.
// Γ and Ω are written as the Greek letters themselves, which Liberation Sans has, so the Symbol
// font's Latin-to-Greek mapping is not needed.
//
// Sizes are in points; at 96 dpi 8.25 pt is 11 px, 9.75 pt 13 px, 12 pt 16 px, 13.5 pt 18 px
// and 14.25 pt 19 px, the sizes the layout was drawn for.
struct FontSpec {
  std::string_view kind;
  const char* family;
  qreal points;
  bool bold;
  bool underline;
};

constexpr FontSpec kFonts[] = {
    {"W", "MS Sans Serif", 9.75, true, false},     // the window font
    {"S8", "MS Sans Serif", 8.25, false, false},   // Label3 and the buttons
    {"S13", "MS Sans Serif", 13.5, false, false},  // the reference impedance box
    {"S12B", "MS Sans Serif", 12.0, true, false},  // the source reactance sign box
    {"S13B", "MS Sans Serif", 13.5, true, false},  // "=", "e", "j", "°", "dB", "RL =", "ML ="
    {"S13BU", "MS Sans Serif", 13.5, true, true},  // Z
    {"Y", "Symbol", 14.25, true, false},           // Ω
    {"YU", "Symbol", 14.25, true, true},           // Γ
};
constexpr const char* kFallbackFamily = "Liberation Sans";

QFont MakeFont(std::string_view kind) {
  for (const FontSpec& spec : kFonts) {
    if (spec.kind != kind) continue;
    QFont font;
    font.setFamilies({QString::fromLatin1(spec.family), QString::fromLatin1(kFallbackFamily)});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(spec.points);
    font.setWeight(spec.bold ? QFont::Bold : QFont::Normal);
    font.setUnderline(spec.underline);
    return font;
  }
  Q_ASSERT_X(false, "MakeFont", "the form names an unknown font");
  return MakeFont("W");
}

// The message quotes what the user typed, so it is shown as plain text: never as markup.
void ShowWarning(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Voranth"), message, QMessageBox::Ok,
                  parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

// The background at its natural size, as sharp as the screen allows.
QPixmap RenderPicture(qreal ratio) {
  QSvgRenderer renderer(QStringLiteral(":/main_window/background.svg"));
  const QSize size = renderer.defaultSize();
  QPixmap picture((QSizeF(size) * ratio).toSize());
  picture.setDevicePixelRatio(ratio);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return picture;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), reporter_(ShowWarning) {
  // Resizable, with a minimise box but no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The window font first, so that the controls inherit it as they are made.
  setFont(MakeFont("W"));

  Ui::Form1 form;
  form.setupUi(this);
  for (QObject* child : children()) {
    const QVariant kind = child->property("fontKind");
    if (kind.isValid()) {
      qobject_cast<QWidget*>(child)->setFont(MakeFont(kind.toString().toStdString()));
    }
  }

  // The picture covers all but a thin strip; the strip, and anything uncovered when the window
  // is enlarged, shows the button face, as does the opaque Label3 (which inherits the role).
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  // The client area's top-left corner at (108, 126) on the screen.
  setGeometry(QRect(QPoint(108, 126), size()));

  inputs_ = {form.Text13, form.Text1, form.Text2, form.Text3, form.Text4};
  results_ = {form.Text11, form.Text12, form.Text5, form.Text6,
              form.Text14, form.Text7,  form.Text8, form.Text15};
  calculate_button_ = form.Command1;

  connect(form.Command1, &QPushButton::clicked, this, &MainWindow::calculate);
  connect(form.Command2, &QPushButton::clicked, this, &MainWindow::quitRequested);

  form.Text13->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::setErrorReporter(ErrorReporter reporter) {
  reporter_ = reporter ? std::move(reporter) : ErrorReporter(ShowWarning);
}

void MainWindow::calculate() {
  calc::InputTexts inputs;
  for (int i = 0; i < calc::kInputCount; ++i) inputs[i] = inputs_[i]->text().toStdString();

  calc::ResultTexts results;
  try {
    // Every conversion and computation ends here, before the first box is written, so a failure
    // leaves every result box as it was.
    results = calc::CalculateTexts(inputs);
  } catch (const platform::Error& error) {
    reporter_(this, QString::fromStdString(calc::WarningText(error)));
    // Lead the user to what needs correcting: the box that holds no number, or Calculate when
    // the numbers themselves cannot be computed with.
    const std::optional<int> input = error.input();
    if (input && *input >= 0 && *input < calc::kInputCount) {
      QLineEdit* box = inputs_[*input];
      box->setFocus(Qt::OtherFocusReason);
      box->selectAll();
    } else {
      calculate_button_->setFocus(Qt::OtherFocusReason);
    }
    return;
  }

  for (int i = 0; i < calc::kOutputCount; ++i) {
    results_[i]->setText(QString::fromStdString(results[i]));
    // A number longer than its box shows its sign and leading digits.
    results_[i]->setCursorPosition(0);
  }
}

void MainWindow::paintEvent(QPaintEvent* /*event*/) {
  const qreal ratio = devicePixelRatioF();
  if (picture_.isNull() || picture_.devicePixelRatio() != ratio) picture_ = RenderPicture(ratio);
  QPainter(this).drawPixmap(0, 0, picture_);
}

}  // namespace ui
