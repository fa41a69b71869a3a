#include "cli/cli.h"

int main(int argc, char** argv) { return torvane::cli::Main(argc, argv); }
