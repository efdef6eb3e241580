// Files and the real stored objects of the corpus (shared/corpus/ole), read and written whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

std::vector<std::uint8_t> read_bytes(const std::filesystem::path& file);
std::string read_text(const std::filesystem::path& file);
void write_bytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> bytes_of(std::string_view text);

inline constexpr char kLinkedExcel[] = "container-blob-linked-excel-frx-tambosoft.bin";
inline constexpr char kLinkedExcelIcon[] = "container-blob-linked-excel-frx-tambosoft-tanque.bin";
inline constexpr char kEmbeddedChart[] = "container-blob-embedded-excelchart8-frx-tambosoft.bin";
inline constexpr char kEmbeddedPaint[] = "container-blob-embedded-pbrush-ole10native-frx-intuit.bin";
inline constexpr char kEquationOle1[] = "ole1-embedded-equation3-rtfjs.bin";
inline constexpr char kTruncatedOle1Link[] = "ole1-linked-word8-classonly-tika.bin";

std::filesystem::path corpus_path(std::string_view name);
// The file's bytes; a missing file fails loudly.
std::vector<std::uint8_t> read_corpus(std::string_view name);
// The names of the corpus's objects, sorted.
std::vector<std::string> corpus_names();

// A real stored link (the container layout) re-linked to path.
std::vector<std::uint8_t> link_to(std::u16string_view path);
// The link path of a stored object, behind a desktop database header or not.
std::u16string source_doc_of(const std::vector<std::uint8_t>& bytes);
