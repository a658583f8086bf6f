#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "ui/sweep_window/sweep_data.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

namespace ui {

// Open measured data: the source from a file and port or the main window's ΓS, the load
// likewise, and optionally a two-port between. Recent files are offered in each file box.
class OpenDialog : public QDialog {
  Q_OBJECT

 public:
  // `fixedSource` and `fixedLoad` read the main window's ΓS and ΓL when asked (they raise
  // SideError for a box without a number); `describe` says what they hold now.
  struct MainWindowSides {
    std::function<SweepSide()> source, load;
    QString sourceText, loadText;
  };

  explicit OpenDialog(const MainWindowSides& sides, QWidget* parent = nullptr);

  // Fills the file boxes: the first file for the source, the second for the load, the third for
  // a two-port between.
  void setFiles(const QStringList& files);

  // The sweep chosen, once accepted.
  const std::optional<SweepRequest>& request() const { return request_; }

  void accept() override;

  // The recent files, most recent first (QSettings).
  static QStringList recentFiles();
  static void addRecentFile(const QString& path);

 private:
  struct Side {
    QRadioButton* file = nullptr;
    QRadioButton* main = nullptr;
    QComboBox* path = nullptr;
    QLineEdit* port = nullptr;
  };
  Side makeSide(const QString& title, const QString& defaultPort, const QString& mainText,
                class QVBoxLayout* into);
  SweepSide read(const Side& side, const std::string& option,
                 const std::function<SweepSide()>& fromMain) const;

  MainWindowSides sides_;
  Side source_, load_;
  QCheckBox* through_ = nullptr;
  QComboBox* through_path_ = nullptr;
  QCheckBox* reversed_ = nullptr;
  std::optional<SweepRequest> request_;
};

}  // namespace ui
