// pm_bench_index: walks the corpus's share into a share index, as the first search of an update
// run does, and reports its size (by the heap's growth), the time of the walk with and without the
// index, and the time of a lookup. The walk without the index is what the search costs for a name
// that is nowhere on the share, each time, without an index.
#include <CLI/CLI.hpp>

#include <malloc.h>

#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <vector>

#include "bench/corpus.h"
#include "com/bstr.h"
#include "com/error.h"
#include "com/utf.h"
#include "document/share_index.h"
#include "platform/share_walk.h"
#include "platform/file_system_object.h"
#include "platform/network.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every file name of the share, spelt in capitals so that each lookup folds its case, and as many
// names that are nowhere.
std::vector<std::u16string> lookup_names(const bench::CorpusLayout& layout) {
    std::vector<std::u16string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(layout.share()))
        if (entry.is_regular_file()) {
            std::string name = entry.path().filename().string();
            for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
            names.push_back(utf16(name));
            names.push_back(utf16("missing-" + name));
        }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"The share index's walk time, lookup time and memory on the benchmark corpus's share"};
    std::string corpus;
    app.add_option("--corpus", corpus, "The corpus folder")->required();
    CLI11_PARSE(app, argc, argv);
    try {
        bench::CorpusLayout layout{corpus};
        set_network_root(layout.network());
        ComPtr<IFileSystem> file_system;
        check(CreateFileSystemObject(file_system.put()));
        ComPtr<IFolder> root;
        check(file_system->GetFolder(Bstr(u"\\\\NewServer\\Media").get(), root.put()));
        const std::vector<std::u16string> names = lookup_names(layout);

        const std::size_t heap_before = mallinfo2().uordblks + mallinfo2().hblkhd;
        auto start = std::chrono::steady_clock::now();
        ShareIndex index(root);
        const double walked = seconds_since(start);
        const std::size_t heap_after = mallinfo2().uordblks + mallinfo2().hblkhd;

        start = std::chrono::steady_clock::now();
        std::size_t found = 0;
        for (const std::u16string& name : names) found += !index.find(name).empty();
        const double looked_up = seconds_since(start);

        start = std::chrono::steady_clock::now();
        std::size_t walked_files = 0;
        walk_share(root, [&](IFile&, std::u16string_view) {
            ++walked_files;
            return WalkStep::next;
        });
        const double walked_bare = seconds_since(start);

        const double files = double(walked_files);
        std::cout << std::fixed << std::setprecision(2) << "walk alone: " << walked_files << " files in " << walked_bare
                  << " s\nshare index: walked in " << walked << " s; heap grew by " << std::setprecision(1)
                  << heap_after - heap_before << " bytes (" << double(heap_after - heap_before) / files
                  << " a file)\n";
        std::cout << "lookups: " << names.size() << " (half of them found) in " << std::setprecision(3) << looked_up
                  << " s, " << std::setprecision(0) << looked_up * 1e9 / double(names.size()) << " ns each\n";
        std::cout << "lookup check: " << (found * 2 == names.size() ? "ok" : "wrong") << "\n";
    } catch (const ComError& e) {
        std::cerr << "pm_bench_index: " << utf8(e.description) << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pm_bench_index: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
