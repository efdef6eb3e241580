// A test container for the media object handler: it really reads and writes the bytes of the
// file it is given, through the platform's file table, and records what it saw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "com/object.h"
#include "platform/ole_control.h"

class TestOleContainer final : public ComObject<TestOleContainer, IOleContainerControl> {
public:
    // The object's image: what ReadFromFile last read, or what a test gave it to save.
    std::vector<std::uint8_t> held;
    // Non-zero: ReadFromFile fails with this number and keeps the object it held.
    LONG fail_read_with = 0;
    LONG fail_save_with = 0;

    // What ReadFromFile saw of its file.
    int read_calls = 0;
    std::int64_t read_position = -1;
    std::u16string read_path;
    // The path CreateLink was given; the held image stays as it is.
    std::u16string linked_to;

    HRESULT STDMETHODCALLTYPE ReadFromFile(SHORT file_number) override;
    HRESULT STDMETHODCALLTYPE SaveToFile(SHORT file_number) override;
    HRESULT STDMETHODCALLTYPE get_OLEType(SHORT* type) override;
    HRESULT STDMETHODCALLTYPE get_SourceDoc(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE CreateLink(BSTR source_doc, VARIANT source_item) override;
    HRESULT STDMETHODCALLTYPE get_UpdateOptions(SHORT* options) override;
    HRESULT STDMETHODCALLTYPE put_UpdateOptions(SHORT options) override;
};
