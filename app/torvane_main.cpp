#include "ui/app.h"

int main(int argc, char** argv) { return torvane::ui::CQuenlorApp().Run(argc, argv); }
