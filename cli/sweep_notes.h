#pragma once

// The sweep's notes in words, as standard error gives them.

#include <string>

#include "sweep/notes.h"

namespace cli {

std::string NoteText(const sweep::Note& note);

}  // namespace cli
