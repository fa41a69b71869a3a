#pragma once

namespace torvane::ui {

// The application: sets up the toolkit and its fonts, shows the main window
// and runs until it closes. Returns the process exit status.
class CQuenlorApp {
public:
    int Run(int argc, char** argv);
};

// Maps the font faces the window names to installed fonts with Chinese glyphs.
void InstallFontSubstitutes();

}  // namespace torvane::ui
