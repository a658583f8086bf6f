#pragma once

// The words of the sweep's notes, the same for the command line and the window.

#include <string>

#include "sweep/note.h"

namespace sweep {

// One line of text, without a full stop; a note that is a warning starts with "warning: ".
std::string NoteText(const Note& note);

}  // namespace sweep
