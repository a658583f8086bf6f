#pragma once

namespace ui {

// Makes screen readers see the details window as a window (not a filler), and its note that the
// inputs have changed as a notification, which they speak as it appears. Called by the details
// window; later calls do nothing.
void InstallDetailsWindowAccessibility();

// The object name that marks the note.
inline constexpr char kInputsChangedNote[] = "DetailsInputsChanged";

}  // namespace ui
