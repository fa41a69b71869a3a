#include <csignal>

#include "cli/cli.h"
#include "platform/interrupt_cleanup.h"

int main(int argc, char** argv) {
    torvane::InstallInterruptCleanup();
#ifdef SIGXFSZ
    // A write past the file size limit fails and is reported instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return torvane::cli::Main(argc, argv);
}
