// Runs a fuzz target once over every file of the folders (or files) named on
// the command line, so the kept corpus and every input that ever crashed are
// replayed by the ordinary test run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    size_t runs = 0;
    auto replay = [&runs](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++runs;
    };
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) replay(entry.path());
            }
        } else if (fs::is_regular_file(arg)) {
            replay(arg);
        }
    }
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%zu passed, 0 failed\n", runs + 1);
    return 0;
}
