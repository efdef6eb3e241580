// pm_bench_index: walks the corpus's share into a share index, as the first search of an update
// run does, and reports its size: by its own count of bytes and by the heap's growth.
#include <CLI/CLI.hpp>

#include <malloc.h>

#include <chrono>
#include <iomanip>
#include <iostream>

#include "bench/corpus.h"
#include "com/bstr.h"
#include "com/error.h"
#include "com/utf.h"
#include "document/share_index.h"
#include "platform/file_system_object.h"
#include "platform/network.h"

int main(int argc, char** argv) {
    CLI::App app{"The share index's walk time and memory on the benchmark corpus's share"};
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

        const std::size_t heap_before = mallinfo2().uordblks + mallinfo2().hblkhd;
        const auto start = std::chrono::steady_clock::now();
        ShareIndex index(root);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::size_t heap_after = mallinfo2().uordblks + mallinfo2().hblkhd;

        const double files = double(index.file_count());
        std::cout << std::fixed << std::setprecision(1) << "share index: " << index.file_count()
                  << " distinct file names, walked in " << seconds << " s; " << index.memory_bytes()
                  << " bytes counted (" << double(index.memory_bytes()) / files << " a file), heap grew by "
                  << heap_after - heap_before << " bytes (" << double(heap_after - heap_before) / files
                  << " a file)\n";
        std::cout << "lookup check: " << (index.find(u"nowhere.at.all").empty() ? "ok" : "wrong") << "\n";
    } catch (const ComError& e) {
        std::cerr << "pm_bench_index: " << utf8(e.description) << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pm_bench_index: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
