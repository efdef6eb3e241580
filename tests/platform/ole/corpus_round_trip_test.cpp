// Every real image reads as one object and saves back byte for byte.
#include "test_support.h"

#include <gtest/gtest.h>

namespace pathmender::ole::testing {
namespace {

class CorpusObject : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusObject, ReadsOneObjectAndSavesItBackByteForByte) {
    const Bytes file = read_corpus(GetParam());
    const ObjectSpan span = object_span_in(GetParam(), file);
    const ByteView expected = ByteView(file).subspan(span.offset, span.length);

    std::size_t consumed = 0;
    const OleObject object = read_ole_object(ByteView(file).subspan(span.offset), consumed);

    EXPECT_EQ(consumed, span.length);
    const Bytes saved = write_ole_object(object);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), expected.begin(), expected.end()));
}

std::vector<std::string> whole_objects() {
    std::vector<std::string> names = corpus_names();
    std::erase(names, kTruncatedOle1Link);
    return names;
}

std::string test_name_of(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusObject, ::testing::ValuesIn(whole_objects()), test_name_of);

TEST(Corpus, HoldsTheImagesTheseTestsRelyOn) {
    EXPECT_EQ(corpus_names().size(), 20u);
}

struct KnownObject {
    const char* file;
    int ole_type;
    std::u16string source_doc;
};

TEST(CorpusObjectProperties, MatchWhatTheirSourcesSay) {
    const KnownObject known[] = {
        {kLinkedExcel, kOleTypeLinked, u"C:\\Users\\JOSE CAMACHO\\Desktop\\Sofware_MisPRUEBAS\\MESES DE EMBARAZO.xls"},
        // The ANSI path is a short-name path; the long path block wins.
        {kLinkedExcelIcon, kOleTypeLinked, u"C:\\MIS DOCUMENTOS\\SOFTWARE_DE_TAMBO1.0\\CONTROLES_PRIMER_ORDEÑE.XLS"},
        {kEmbeddedChart, kOleTypeEmbedded, u""},
        {"container-blob-embedded-wps-frx-gobang.bin", kOleTypeEmbedded, u""},  // Flags 4, not a link
        {"container-blob-embedded-pbrush-ole10native-frx-intuit.bin", kOleTypeEmbedded, u""},
        {kEquationOle1, kOleTypeEmbedded, u""},
        {"access-headed-static-metafilepict-olefield.bin", kOleTypeEmbedded, u""},
    };
    for (const KnownObject& expected : known) {
        SCOPED_TRACE(expected.file);
        const Bytes file = read_corpus(expected.file);
        std::size_t consumed = 0;
        const OleObject object = read_ole_object(ByteView(file).subspan(object_span_in(expected.file, file).offset), consumed);
        EXPECT_EQ(ole_type(object), expected.ole_type);
        EXPECT_EQ(source_doc(object), expected.source_doc);
        EXPECT_EQ(update_options(object), kUpdateAutomatic);
    }
}

TEST(CorpusObjectProperties, TwoObjectsBackToBackReadOneAfterTheOther) {
    const Bytes first = read_corpus(kLinkedExcel);
    const Bytes second = read_corpus(kEquationOle1);
    const Bytes third = read_corpus(kEmbeddedChart);
    Bytes buffer = first;
    buffer.insert(buffer.end(), second.begin(), second.end());
    buffer.insert(buffer.end(), third.begin(), third.end());

    std::size_t offset = 0;
    for (const Bytes* expected : {&first, &second, &third}) {
        std::size_t consumed = 0;
        const OleObject object = read_ole_object(ByteView(buffer).subspan(offset), consumed);
        EXPECT_EQ(consumed, expected->size());
        EXPECT_EQ(write_ole_object(object), *expected);
        offset += consumed;
    }
    EXPECT_EQ(offset, buffer.size());
}

}  // namespace
}  // namespace pathmender::ole::testing
