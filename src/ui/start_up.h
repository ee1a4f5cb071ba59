#pragma once

namespace juanzhi::ui {

// Builds and shows the main window in the program's own folder and runs the
// event loop until the window is gone. Returns the program's exit code.
int startUp(int argc, char* argv[]);

}  // namespace juanzhi::ui
