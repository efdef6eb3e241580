// pm_bench_compound: reads and writes the compound files of the corpus's container objects (the
// layout that holds one) over and over, and reports the time of one object read and written.
#include <CLI/CLI.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "platform/ole/compound_file.h"

namespace ole = pathmender::ole;

int main(int argc, char** argv) {
    CLI::App app("Times reading and writing the corpus's compound files");
    std::string corpus = PATHMENDER_CORPUS_DIR;
    int rounds = 5000;
    app.add_option("--corpus", corpus, "the folder of real object images");
    app.add_option("--rounds", rounds, "how often each compound file is read and written");
    CLI11_PARSE(app, argc, argv);

    constexpr std::size_t kContainerHeaderSize = 24;
    std::vector<ole::Bytes> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (!entry.path().filename().string().starts_with("container-blob-"))
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const ole::Bytes image((std::istreambuf_iterator<char>(in)), {});
        const std::size_t size = ole::load_u32(image, 2);
        files.emplace_back(image.begin() + kContainerHeaderSize, image.begin() + kContainerHeaderSize + size);
    }
    if (files.empty()) {
        std::cerr << "no container objects in " << corpus << "\n";
        return 1;
    }

    std::size_t written = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; ++round)
        for (const ole::Bytes& file : files)
            written += ole::write_compound_file(ole::read_compound_file(file)).size();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << files.size() << " compound files, " << rounds << " rounds: " << seconds << " s, "
              << seconds * 1e6 / (static_cast<double>(rounds) * static_cast<double>(files.size()))
              << " us per file read and written (" << written << " bytes written)\n";
}
