#pragma once

class QWidget;

namespace ui {

// Whether a child of the main window is decoration for assistive technology: the frame lines and
// the formula glyphs ("=", "e", "j", "°", the subscripts, Γ, Z, Ω, dB) that only make sense as
// part of the drawing. The boxes carry the meaning in their accessible names instead. Captions
// of three or more characters ("Reference Impedance:", "RL =", "ML =") stay.
bool IsDecorative(const QWidget* child);

// Makes screen readers see the main window without its decorative children. Called once by the
// main window; later calls do nothing.
void InstallMainWindowAccessibility();

}  // namespace ui
