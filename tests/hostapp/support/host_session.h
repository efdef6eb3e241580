// Reaching the media data of a host database the way the plug-in does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "com/comptr.h"
#include "com/variant.h"
#include "contracts/host_services.h"

// The data object of session, asked for with the plug-in's key.
ComPtr<IHostDataObject> open_data_object(const ComPtr<ISessionContext>& session);

// The media records of table (MEDIAID, Object, ParentID) through a record source, as the update run opens them.
ComPtr<IHostRecordset> open_media_records(IHostDataObject* data, std::u16string_view table);

// A forward record set over query.
ComPtr<IHostRecordset> open_query(IHostDataObject* data, std::u16string_view query);

// Writes text into field of the record of table whose key_field is key, through a write-back record
// set as the update run opens it; result is what UpdateField answers.
HRESULT write_back(IHostDataObject* data, std::u16string_view table, std::u16string_view field,
                   std::u16string_view key_field, Variant key, std::u16string_view text, SHORT* result);
// Writes text into the Object column of the record of table with that MEDIAID, as the update run does.
void update_media_object(IHostDataObject* data, std::u16string_view table, std::int32_t media_id,
                         std::u16string_view text);

Variant field_value(IHostRecordset* records, std::int32_t column);
bool at_end(IHostRecordset* records);

// The text whose characters are the given bytes in the ANSI code page.
std::u16string ansi_text(const std::vector<std::uint8_t>& bytes);
