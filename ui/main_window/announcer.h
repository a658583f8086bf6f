#pragma once

#include <QString>
#include <QWidget>

class QAccessibleInterface;

namespace ui {

// A notification for screen readers: an invisible widget with the notification role that
// appears with the text to speak as its name. Screen readers speak a notification when it
// appears, wherever the focus is, so the results reach the user without moving the focus.
// It draws nothing, takes no input and has no size.
class Announcer : public QWidget {
  Q_OBJECT

 public:
  explicit Announcer(QWidget* parent);

  // Makes the text appear as a notification, also when it is the same as the last one.
  void announce(const QString& text);

  // Takes the last notification away, so that nothing presents it as current any more.
  void clear();

  // What is being announced now; empty when nothing is.
  QString text() const;
};

// The accessible interface of an Announcer, for the main window's accessibility factory.
QAccessibleInterface* MakeAnnouncerAccessible(QObject* object);

}  // namespace ui
