// pm_bench_corpus: makes the benchmark corpus (host database, network folder, manifest).
#include <CLI/CLI.hpp>

#include <iostream>

#include "bench/corpus.h"

int main(int argc, char** argv) {
    CLI::App app{"Makes the benchmark corpus: a host database and the new server's share"};
    bench::CorpusSize size;
    std::string folder;
    app.add_option("--out", folder, "The corpus folder (must not exist)")->required();
    app.add_option("--records", size.records, "Media records over the eleven tables")->capture_default_str();
    app.add_option("--files", size.files, "Files on the new server's share")->capture_default_str();
    app.add_option("--seed", size.seed, "Seed of everything random")->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    try {
        bench::make_corpus({folder}, size);
    } catch (const std::exception& e) {
        std::cerr << "pm_bench_corpus: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
