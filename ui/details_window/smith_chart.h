#pragma once

#include <QWidget>
#include <optional>

#include "calc/smith_geometry.h"

namespace ui {

// The Smith chart of one calculation: the grid of constant resistance and reactance, ΓS, ΓL and
// ΓS*, the circles |Γ| = |ΓS| and |Γ| = |ΓL|, and the circle of loads with the same mismatch loss
// as ΓL, as the drawing library draws it, in the window's palette, light or dark. Its accessible
// description says the same in words.
class SmithChart : public QWidget {
  Q_OBJECT

 public:
  explicit SmithChart(QWidget* parent = nullptr);

  // Nothing but the grid for none.
  void setPicture(const std::optional<calc::SmithGeometry>& geometry);

  QSize sizeHint() const override { return {360, 420}; }
  QSize minimumSizeHint() const override { return {300, 360}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<calc::SmithGeometry> geometry_;
};

}  // namespace ui
