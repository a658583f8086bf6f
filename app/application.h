#pragma once

namespace app {

// Starts the program: opens the main window, runs the event loop and returns its exit status.
// main() returns what this returns.
int RunApplication(int argc, char** argv);

}  // namespace app
