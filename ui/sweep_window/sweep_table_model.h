#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <string>

#include "sweep/sweep.h"
#include "ui/sweep_window/sweep_data.h"

namespace ui {

// The table of every point: frequency, ΓS, ΓL, M, ML, RL, ZS, ZL and the warning of a point that
// cannot be computed. Texts are made only for the rows shown; the numbers are voranth-calc's
// (every one at full precision, as its table writes them), ML and RL with the window's two
// decimals. For a screen reader each cell begins with its row's frequency.
class SweepTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    kFrequency,
    kSource,
    kLoad,
    kMismatchFactor,
    kMismatchLoss,
    kReturnLoss,
    kSourceImpedance,
    kLoadImpedance,
    kWarning,
    kColumnCount
  };

  explicit SweepTableModel(QObject* parent = nullptr);

  void setSweep(std::shared_ptr<const SweepData> data);
  const SweepData* sweep() const { return data_.get(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The text of one cell, as shown.
  QString text(long long row, int column) const;

 private:
  const sweep::SweepRow& RowAt(long long row) const;

  std::shared_ptr<const SweepData> data_;
  // The row made last: a view asks for each of its cells in turn.
  mutable long long cached_ = -1;
  mutable sweep::SweepRow row_;
};

// "2.4 GHz": a frequency in Hz, kHz, MHz or GHz, the decimal digits those of the shortest text
// that reads back to the number in Hz, with the point moved (no rounding).
std::string FrequencyText(double hz);

}  // namespace ui
