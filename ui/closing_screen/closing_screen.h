#pragma once

#include <QWidget>

namespace ui {

// Form2: the closing screen with the maker's advertisement.
class ClosingScreen : public QWidget {
  Q_OBJECT

 public:
  explicit ClosingScreen(QWidget* parent = nullptr);
};

}  // namespace ui
