#pragma once

namespace juanzhi::ui {

// What every window of the program shares, set once the application exists:
// Qt's texts in Chinese, the Song face in every control, the icon.
void setUpApplication();

// Builds and shows the main window in the program's own folder and runs the
// event loop until the window is gone. Returns the program's exit code.
int startUp(int argc, char* argv[]);

}  // namespace juanzhi::ui
