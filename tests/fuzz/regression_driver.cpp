// Feeds files to a fuzz target's entry point without libFuzzer, so that every build re-runs the
// inputs that once broke something, and the seed corpus, as an ordinary test. Arguments are files
// or folders (their regular files, in name order); a failure aborts inside the target.
#include "fuzz_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// A target that needs no set-up defines none; libFuzzer asks for it only when it is there.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int*, char***) { return 0; }

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path argument = argv[i];
        if (fs::is_directory(argument)) {
            for (const auto& entry : fs::directory_iterator(argument))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(argument)) {
            inputs.push_back(argument);
        } else {
            std::cerr << argument << ": no such file or folder\n";
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::cerr << "input " << input.filename().string() << '\n';
        const std::vector<std::uint8_t> bytes = read_file(input);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::cout << inputs.size() << " inputs ran\n";
    return 0;
}
