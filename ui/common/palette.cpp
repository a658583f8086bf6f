#include "ui/common/palette.h"

namespace ui {

QPalette LightPalette() {
  const QColor black(0, 0, 0), white(255, 255, 255), face(240, 240, 240);
  // Button face, light and dark edges for the sunken and raised frames, and the window colour.
  QPalette palette(black, face, white, QColor(160, 160, 160), QColor(200, 200, 200), black, white,
                   white, face);
  palette.setColor(QPalette::Shadow, QColor(105, 105, 105));
  palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
  palette.setColor(QPalette::HighlightedText, white);
  palette.setColor(QPalette::AlternateBase, QColor(245, 245, 245));
  palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
  palette.setColor(QPalette::ToolTipText, black);
  palette.setColor(QPalette::PlaceholderText, QColor(105, 105, 105));
  palette.setColor(QPalette::Link, QColor(0, 0, 238));
  palette.setColor(QPalette::LinkVisited, QColor(85, 26, 139));
  // Greyed out, yet still readable (4.5 : 1 on the button face).
  const QColor greyed(105, 105, 105);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, greyed);
  }
  palette.setColor(QPalette::Disabled, QPalette::Base, face);
  return palette;
}

}  // namespace ui
