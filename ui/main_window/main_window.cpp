#include "ui/main_window/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QResource>
#include <QSvgRenderer>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calc/calculate_texts.h"
#include "calc/input_text.h"
#include "calc/result_format.h"
#include "calc/warning_text.h"
#include "platform/errors.h"
#include "ui/common/fonts.h"
#include "ui/common/palette.h"
#include "ui/common/placement.h"
#include "ui/details_window/details_window.h"
#include "ui/main_window/accessibility.h"
#include "ui/main_window/announcer.h"
#include "ui/main_window/focus_ring.h"
#include "ui/main_window/text_box.h"
#include "ui/main_window/window_actions.h"
#include "ui_main_window.h"

namespace ui {

namespace {

// The window's fonts, by the names the form gives them in its "fontKind" property (W, the
// window font, is inherited by every control without one). The sizes are the designed ones at
// 96 dpi (9.75 pt is 13 px, 8.25 pt 11 px, 12 pt 16 px, 13.5 pt 18 px, 14.25 pt 19 px), given in
// pixels because the layout is fixed in pixels: a desktop with a larger font resolution would
// otherwise clip the captions. All are in the one text family, which draws Γ and Ω.
struct FontSpec {
  std::string_view kind;
  int pixels;
  bool bold;
  bool underline;
};

constexpr FontSpec kFonts[] = {
    {"W", 13, true, false},     // the window font
    {"S8", 11, false, false},   // Label3 and the buttons
    {"S13", 18, false, false},  // the reference impedance box
    {"S12B", 16, true, false},  // the source reactance sign box
    {"S13B", 18, true, false},  // "=", "e", "j", "°", "dB", "RL =", "ML ="
    {"S13BU", 18, true, true},  // Z
    {"Y", 19, true, false},     // Ω
    {"YU", 19, true, true},     // Γ
};

QFont MakeFont(std::string_view kind) {
  for (const FontSpec& spec : kFonts) {
    if (spec.kind == kind) {
      return TextFont(spec.pixels, spec.bold ? QFont::Bold : QFont::Normal, false, spec.underline);
    }
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

QString JoinedLines(const std::vector<std::string>& lines) {
  QString text;
  for (const std::string& line : lines) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += QString::fromStdString(line);
  }
  return text;
}

// The picture as rendered at build time (render_svg): width and height, then premultiplied
// 0xAARRGGBB pixels, in the machine's byte order. Used in place, without a copy; null if it is
// not there as expected.
QImage PictureRenderedAtBuild() {
  const QResource resource(QStringLiteral(":/main_window/background.argb32"));
  if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression ||
      resource.size() < 8) {
    return {};
  }
  std::uint32_t size[2];
  std::memcpy(size, resource.data(), sizeof size);
  const auto [width, height] = size;
  if (width == 0 || height == 0 || width > 4096 || height > 4096 ||
      static_cast<std::uint64_t>(resource.size()) != 8 + std::uint64_t{width} * height * 4) {
    return {};
  }
  const uchar* pixels = resource.data() + 8;
  const QImage image(pixels, static_cast<int>(width), static_cast<int>(height),
                     QImage::Format_ARGB32_Premultiplied);
  // Pixels that are not on a 4-byte boundary in the resource data are copied to one that is.
  if (reinterpret_cast<std::uintptr_t>(pixels) % alignof(std::uint32_t) != 0) {
    QImage aligned(image.size(), image.format());
    std::memcpy(aligned.bits(), pixels, static_cast<std::size_t>(aligned.sizeInBytes()));
    return aligned;
  }
  return image;
}

// The background at its natural size, as sharp as the screen allows: without scaling, as
// rendered at build time; otherwise rendered here.
QImage RenderPicture(qreal ratio) {
  if (ratio == 1.0) {
    const QImage rendered = PictureRenderedAtBuild();
    if (!rendered.isNull()) return rendered;
  }
  QSvgRenderer renderer(QStringLiteral(":/main_window/background.svg"));
  const QSize size = renderer.defaultSize();
  QImage picture((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  picture.setDevicePixelRatio(ratio);
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return picture;
}

// Whether the boxes hold other inputs than those the calculation was made from, as the details
// window and Copy all results write them; inputs that no longer read count as other.
bool InputsDiffer(const std::array<TextBox*, 5>& boxes, const calc::Calculation& calculation) {
  calc::InputTexts texts;
  for (int i = 0; i < calc::kInputCount; ++i) texts[i] = boxes[i]->text().toStdString();
  try {
    return calc::InputLines(calc::InputsOf(calc::Calculate(texts))) !=
           calc::InputLines(calc::InputsOf(calculation));
  } catch (const platform::Error&) {
    return true;
  }
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), reporter_(ShowWarning) {
  InstallMainWindowAccessibility();
  // Resizable, with a minimise box but no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The captions and lines are drawn over a light picture: the light colours stay whatever the
  // desktop's colour scheme. The window font first, so that the controls inherit it as they are
  // made.
  setPalette(LightPalette());
  setFont(MakeFont("W"));

  Ui::Form1 form;
  {
    // A line edit lays out its empty text once in the application's font before it takes its
    // own, which loads that font's face for nothing: while the controls are made, the window
    // font stands in for the application's.
    const QFont desktopFont = QApplication::font();
    QApplication::setFont(font());
    form.setupUi(this);
    QApplication::setFont(desktopFont);
  }
  for (QObject* child : children()) {
    const QVariant kind = child->property("fontKind");
    if (kind.isValid()) {
      qobject_cast<QWidget*>(child)->setFont(MakeFont(kind.toString().toStdString()));
    }
  }
  // Where the text family is wider than the one the layout was drawn for, a caption is shrunk
  // to fit its label. The boxes fit their texts themselves, whatever is written into them.
  for (QLabel* label : findChildren<QLabel*>()) {
    label->setFont(FitFont(label->font(), label->text(), label->size()));
  }
  for (QPushButton* button : findChildren<QPushButton*>()) {
    // Inside the button's bevel, with some space on either side.
    const QSize room = button->size() - QSize(10, 4);
    button->setFont(FitFont(button->font(), button->text(), room));
  }
  for (TextBox* box : findChildren<TextBox*>()) {
    box->setExplanation(box->toolTip());  // the form's tooltip, before the box manages it
    box->setDesignFont(box->font());
  }
  for (QWidget* control : findChildren<QWidget*>()) {
    if (control->focusPolicy() != Qt::NoFocus) AddFocusRing(control);
  }

  // The picture covers all but a thin strip; the strip, and anything uncovered when the window
  // is enlarged, shows the button face, as does the opaque Label3 (which inherits the role).
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  // The client area's top-left corner at (108, 126) on the screen, or as near as keeps the window
  // on a small screen.
  PlaceWindow(this, QPoint(108, 126));

  // The box of each quantity.
  inputs_[calc::kReferenceImpedance] = form.Text13;
  inputs_[calc::kSourceMagnitude] = form.Text1;
  inputs_[calc::kSourceAngle] = form.Text2;
  inputs_[calc::kLoadMagnitude] = form.Text3;
  inputs_[calc::kLoadAngle] = form.Text4;
  results_[calc::kReturnLoss] = form.Text11;
  results_[calc::kMismatchLoss] = form.Text12;
  results_[calc::kSourceResistance] = form.Text5;
  results_[calc::kSourceReactance] = form.Text6;
  results_[calc::kSourceReactanceSign] = form.Text14;
  results_[calc::kLoadResistance] = form.Text7;
  results_[calc::kLoadReactance] = form.Text8;
  results_[calc::kLoadReactanceSign] = form.Text15;
  calculate_button_ = form.Command1;
  // Results are numbers worth seeing at their size; inputs are shown as typed.
  for (TextBox* box : results_) box->setCompactNumbers(true);

  connect(form.Command1, &QPushButton::clicked, this, &MainWindow::calculate);

  // What was announced and shown holds for the inputs it was computed from: an edit takes the
  // announcement away and marks the results and the details as no longer current.
  announcer_ = new Announcer(this);
  // Likewise the note that a copy was made: the copy holds the inputs it was made from.
  auto* copied = new Announcer(this);
  copied->setObjectName(QStringLiteral("CopiedAnnouncer"));
  for (TextBox* box : inputs_) {
    connect(box, &QLineEdit::textChanged, announcer_, &Announcer::clear);
    connect(box, &QLineEdit::textChanged, copied, &Announcer::clear);
    connect(box, &QLineEdit::textChanged, this, [this] {
      if (!last_) return;
      const bool were_current = results_[0]->isCurrent();
      setResultsCurrent(false);
      if (details_) details_->setInputsChanged(true);
      // Screen readers do not follow the result boxes: that they stop being current is said
      // once, as it happens.
      if (were_current && QAccessible::isActive()) {
        announcer_->announce(tr("Results not current: the inputs have changed since."));
      }
    });
  }

  // Copy all results: the way to the results for the keyboard, as the result boxes are no tab
  // stops; it has nothing to copy before the first Calculate that succeeds.
  // The figures behind the results, after each box's explanation: the junction's at the
  // mismatch loss, each port's at its impedance; those of the last Calculate that succeeded.
  results_[calc::kMismatchLoss]->setDetailsSource([this] {
    return last_ ? JoinedLines(calc::MismatchLines(last_->figures.mismatch)) : QString();
  });
  // A port whose magnitude was typed as a VSWR or a return loss says first what it was read as.
  const auto port_details = [](const calc::PortFigures& f, calc::Port port,
                               const calc::MagnitudeReading& reading, std::string_view name) {
    std::vector<std::string> lines = calc::PortLines(f, port);
    if (std::string note = calc::ReadingLine(reading, name); !note.empty()) {
      lines.insert(lines.begin(), std::move(note));
    }
    return JoinedLines(lines);
  };
  for (int i : {calc::kSourceResistance, calc::kSourceReactance, calc::kSourceReactanceSign}) {
    results_[i]->setDetailsSource([this, port_details] {
      return last_ ? port_details(last_->figures.source, calc::Port::kSource, last_->reading1,
                                  "\u0393S")
                   : QString();
    });
  }
  for (int i : {calc::kLoadResistance, calc::kLoadReactance, calc::kLoadReactanceSign}) {
    results_[i]->setDetailsSource([this, port_details] {
      return last_
                 ? port_details(last_->figures.load, calc::Port::kLoad, last_->reading2, "\u0393L")
                 : QString();
    });
  }

  copy_all_action_ = new QAction(tr("Copy all results"), this);
  copy_all_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  copy_all_action_->setShortcutContext(Qt::WindowShortcut);
  copy_all_action_->setEnabled(false);
  connect(copy_all_action_, &QAction::triggered, this, &MainWindow::copyAllResults);
  addAction(copy_all_action_);
  details_action_ = new QAction(tr("Details\u2026"), this);
  details_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  details_action_->setShortcutContext(Qt::WindowShortcut);
  connect(details_action_, &QAction::triggered, this, &MainWindow::showDetails);
  addAction(details_action_);
  // Both in the context menu of every box, and named in Calculate's tooltip.
  form.Command1->setToolTip(tr("Computes the losses and the impedances from the inputs."));
  QList<QLineEdit*> boxes(inputs_.begin(), inputs_.end());
  boxes.append(QList<QLineEdit*>(results_.begin(), results_.end()));
  OfferWindowActions(boxes, form.Command1, {copy_all_action_, details_action_});
  connect(form.Command2, &QPushButton::clicked, this, &MainWindow::quitRequested);
  connect(this, &MainWindow::quitRequested, this, [this] {
    if (details_) details_->close();
  });

  form.Text13->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::setErrorReporter(ErrorReporter reporter) {
  reporter_ = reporter ? std::move(reporter) : ErrorReporter(ShowWarning);
}

void MainWindow::calculate() {
  calc::InputTexts inputs;
  for (int i = 0; i < calc::kInputCount; ++i) inputs[i] = inputs_[i]->text().toStdString();

  calc::Calculation calculation;
  try {
    // Every conversion and computation ends here, before the first box is written, so a failure
    // leaves every result box as it was.
    calculation = calc::Calculate(inputs);
  } catch (const platform::Error& error) {
    // The warning is announced as an alert; the results shown before are no longer current.
    announcer_->clear();
    if (last_) setResultsCurrent(false);
    reporter_(this, QString::fromStdString(calc::WarningText(error)));
    // Lead the user to what needs correcting: the box that holds no number, or Calculate when
    // the numbers themselves cannot be computed with.
    const std::optional<int> input = error.input();
    if (input && *input >= 0 && *input < calc::kInputCount) {
      TextBox* box = inputs_[*input];
      box->setFocus(Qt::OtherFocusReason);
      box->selectAll();
    } else {
      calculate_button_->setFocus(Qt::OtherFocusReason);
    }
    return;
  }

  const calc::ResultTexts results = calc::BoxTexts(calculation.results);
  for (int i = 0; i < calc::kOutputCount; ++i) {
    // A number too long for its box is shown in a compact form that keeps its size, and the box
    // offers it whole in its tooltip (TextBox).
    TextBox* box = results_[i];
    const QString text = QString::fromStdString(results[i]);
    // Writing the text that a box holds as the last click left it, unedited, with the cursor at
    // its start, would change nothing at all: it is left as it is.
    if (text == box->text() && box->cursorPosition() == 0 && !box->hasSelectedText() &&
        !box->isModified() && !box->isUndoAvailable() && !box->isRedoAvailable()) {
      continue;
    }
    box->setText(text);
    box->setCursorPosition(0);
  }

  copy_all_action_->setEnabled(true);

  // The results change in boxes without the focus, which a screen reader does not follow: they
  // are announced in words as a notification, also when a repeated click gives the same ones.
  // Nobody hears them without assistive technology, so they are not even written then.
  if (QAccessible::isActive()) {
    announcer_->announce(QString::fromStdString(calc::SpokenResults(calculation.results)));
  } else {
    announcer_->clear();
  }
  last_ = std::move(calculation);
  if (details_) details_->showCalculation(*last_);
  setResultsCurrent(true);
  // The figures behind the results follow in the tooltips, written when they are shown.
  for (int i : {calc::kMismatchLoss, calc::kSourceResistance, calc::kSourceReactance,
                calc::kSourceReactanceSign, calc::kLoadResistance, calc::kLoadReactance,
                calc::kLoadReactanceSign}) {
    results_[i]->detailsChanged();
  }
}

void MainWindow::setResultsCurrent(bool current) {
  for (TextBox* box : results_) box->setCurrent(current);
}

void MainWindow::copyAllResults() {
  if (!last_) return;
  std::vector<std::string> lines = calc::InputLines(calc::InputsOf(*last_));
  for (std::string& line : calc::AllLines(last_->results, last_->figures)) {
    lines.push_back(std::move(line));
  }
  // The table: tab-separated for programs that take that, and as an HTML table, which is what
  // spreadsheets read into cells when they paste.
  QString separated;
  QString html = QStringLiteral("<table>");
  for (const calc::TableRow& row :
       calc::TableRows(calc::InputsOf(*last_), last_->results, last_->figures)) {
    const QString cells[] = {QString::fromStdString(row.label), QString::fromStdString(row.value),
                             QString::fromStdString(row.unit)};
    separated +=
        cells[0] + QLatin1Char('\t') + cells[1] + QLatin1Char('\t') + cells[2] + QLatin1Char('\n');
    html += QStringLiteral("<tr>");
    for (const QString& cell : cells) {
      html += QStringLiteral("<td>") + cell.toHtmlEscaped() + QStringLiteral("</td>");
    }
    html += QStringLiteral("</tr>");
  }
  html += QStringLiteral("</table>");
  auto* data = new QMimeData;
  data->setText(JoinedLines(lines) + QLatin1Char('\n'));
  data->setData(QStringLiteral("text/tab-separated-values"), separated.toUtf8());
  data->setHtml(html);
  QGuiApplication::clipboard()->setMimeData(data);
  ReportCopied(this, findChild<Announcer*>(QStringLiteral("CopiedAnnouncer")));
}

void MainWindow::showDetails() {
  if (!details_) {
    details_ = new DetailsWindow(this);
    connect(details_, &DetailsWindow::copyRequested, this, &MainWindow::copyAllResults);
    // The window's shortcuts work there too.
    details_->addActions({copy_all_action_, details_action_});
    if (last_) {
      details_->showCalculation(*last_);
      // Opened after an edit, it says so at once.
      details_->setInputsChanged(InputsDiffer(inputs_, *last_));
    }
    // Beside the main window, or as near as the screen allows.
    details_->adjustSize();
    PlaceWindow(details_, geometry().topRight() + QPoint(16, 0));
  }
  details_->show();
  details_->raise();
  details_->activateWindow();
}

void MainWindow::paintEvent(QPaintEvent* /*event*/) {
  const qreal ratio = devicePixelRatioF();
  if (picture_.isNull() || picture_.devicePixelRatio() != ratio) picture_ = RenderPicture(ratio);
  QPainter(this).drawImage(0, 0, picture_);
}

}  // namespace ui

// The meta-object code, compiled with this file rather than parsing the headers once more.
#include "moc_main_window.cpp"
