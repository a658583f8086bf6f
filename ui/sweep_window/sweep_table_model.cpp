#include "ui/sweep_window/sweep_table_model.h"

#include <cmath>
#include <cstdlib>

#include "calc/result_format.h"
#include "calc/results.h"
#include "platform/number_format.h"

namespace ui {

using platform::Shortest;

std::string FrequencyText(double hz) {
  std::string text = Shortest(hz);
  if (!std::isfinite(hz)) return text + " Hz";
  std::string sign;
  if (text[0] == '-') {
    sign = "-";
    text.erase(0, 1);
  }
  int exponent = 0;
  if (const std::size_t e = text.find('e'); e != std::string::npos) {
    exponent = std::atoi(text.c_str() + e + 1);
    text.resize(e);
  }
  // The number is 0.DIGITS × 10^point.
  const std::size_t dot = text.find('.');
  int point = static_cast<int>(dot == std::string::npos ? text.size() : dot) + exponent;
  std::string digits = text;
  if (dot != std::string::npos) digits.erase(dot, 1);
  while (digits.size() > 1 && digits[0] == '0') {
    digits.erase(0, 1);
    --point;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (digits == "0") return sign + "0 Hz";
  static constexpr const char* kUnits[] = {"Hz", "kHz", "MHz", "GHz"};
  int unit = 0;
  while (unit < 3 && point > 3 * (unit + 1)) ++unit;
  point -= 3 * unit;
  std::string number;
  if (point <= 0) {
    number = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    number = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    number = digits.substr(0, static_cast<std::size_t>(point)) + "." +
             digits.substr(static_cast<std::size_t>(point));
  }
  return sign + number + " " + kUnits[unit];
}

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string Polar(double magnitude, double angle_deg) {
  // A "nan" or "inf" in the file: nothing to show, as in voranth-calc's table.
  if (!std::isfinite(magnitude) || !std::isfinite(angle_deg)) return {};
  return Shortest(magnitude) + " \u2220 " + Shortest(angle_deg) + "\u00b0";
}

// As voranth-calc writes it: the number, "inf", or nothing when not defined.
std::string Field(const calc::Figure& figure) {
  std::string out;
  calc::AppendCsvField(out, figure);
  return out;
}

std::string ImpedanceText(const calc::Impedance& z) {
  const std::string re = Field(z.resistance), im = Field(z.reactance);
  if (im.empty() || im[0] != '-') return re + " + j" + im;
  return re + " - j" + im.substr(1);
}

}  // namespace

SweepTableModel::SweepTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void SweepTableModel::setSweep(std::shared_ptr<const SweepData> data) {
  beginResetModel();
  data_ = std::move(data);
  cached_ = -1;
  endResetModel();
}

int SweepTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !data_) return 0;
  // A view counts its rows in int; a sweep beyond that is shown up to there.
  return static_cast<int>(std::min<long long>(data_->size(), 0x7fffffff));
}

int SweepTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

const sweep::SweepRow& SweepTableModel::RowAt(long long row) const {
  if (row != cached_) {
    row_ = data_->Row(row);
    cached_ = row;
  }
  return row_;
}

QString SweepTableModel::text(long long index, int column) const {
  const sweep::SweepRow& row = RowAt(index);
  switch (column) {
    case kFrequency:
      return Q(FrequencyText(row.frequency_hz));
    case kSource:
      return Q(Polar(row.source_magnitude, row.source_angle_deg));
    case kLoad:
      return Q(Polar(row.load_magnitude, row.load_angle_deg));
    case kWarning:
      return Q(sweep::RowWarning(row));
    default:
      break;
  }
  if (!row.computed) return {};
  const calc::Results results = calc::ResultsOf(row.result);
  switch (column) {
    case kMismatchFactor:
      return Q(Field(results.mismatch_factor));
    case kMismatchLoss:
      return Q(calc::BoxTexts(results)[calc::kMismatchLoss]);
    case kReturnLoss:
      return Q(calc::BoxTexts(results)[calc::kReturnLoss]);
    case kSourceImpedance:
      return Q(ImpedanceText(results.source_impedance));
    case kLoadImpedance:
      return Q(ImpedanceText(results.load_impedance));
    default:
      return {};
  }
}

QVariant SweepTableModel::data(const QModelIndex& index, int role) const {
  if (!data_ || !index.isValid()) return {};
  if (role == Qt::DisplayRole) return text(index.row(), index.column());
  if (role == Qt::AccessibleTextRole) {
    // Each cell speaks its row's frequency first, then what it holds.
    const QString frequency = text(index.row(), kFrequency);
    if (index.column() == kFrequency) return frequency;
    QString value = text(index.row(), index.column());
    if (value.isEmpty()) value = tr("none");
    return frequency + QStringLiteral(", ") +
           headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString() +
           QStringLiteral(" ") + value;
  }
  if (role == Qt::ToolTipRole) {
    // The whole text of a long cell, which a narrow column cuts short with "…".
    switch (index.column()) {
      case kSource:
      case kLoad:
      case kSourceImpedance:
      case kLoadImpedance:
      case kWarning:
        if (QString value = text(index.row(), index.column()); !value.isEmpty()) return value;
        break;
      default:
        break;
    }
    return {};
  }
  if (role == Qt::TextAlignmentRole && index.column() != kWarning) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant SweepTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::ToolTipRole) {
    switch (section) {
      case kSource:
        return tr("Source reflection coefficient: magnitude \u2220 angle");
      case kLoad:
        return tr("Load reflection coefficient, against the common reference impedance");
      case kMismatchFactor:
        return tr("Mismatch factor");
      case kSourceImpedance:
        return tr("Source impedance, in ohms");
      case kLoadImpedance:
        return tr("Load impedance, in ohms");
      default:
        return {};
    }
  }
  switch (section) {
    case kFrequency:
      return tr("Frequency");
    case kSource:
      return tr("\u0393S");
    case kLoad:
      return tr("\u0393L");
    case kMismatchFactor:
      return tr("M");
    case kMismatchLoss:
      return tr("ML (dB)");
    case kReturnLoss:
      return tr("RL (dB)");
    case kSourceImpedance:
      return tr("ZS (\u03a9)");
    case kLoadImpedance:
      return tr("ZL (\u03a9)");
    case kWarning:
      return tr("Warning");
    default:
      return {};
  }
}

}  // namespace ui

#include "moc_sweep_table_model.cpp"
