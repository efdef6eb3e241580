#include "platform/ole/ole_object.h"

namespace pathmender::ole {

namespace {

constexpr std::int64_t kMillisecondsFrom1601To1970 = 11'644'473'600'000;
constexpr std::uint64_t kFiletimeTicksPerMillisecond = 10'000;

// The container layout knows only "always" and "on call": frozen is stored as on call, and any
// value it does not know reads as manual, so nothing updates that was not asked to.
std::int16_t update_options_of_container(std::uint32_t stored) {
    return stored == kLinkUpdateAlways ? kUpdateAutomatic : kUpdateManual;
}

std::uint32_t container_link_update_option(std::int16_t options) {
    return options == kUpdateAutomatic ? kLinkUpdateAlways : kLinkUpdateOnCall;
}

// OLE 1.0 uses the control's own numbers.
std::int16_t update_options_of_ole1(std::uint32_t stored) {
    return stored <= static_cast<std::uint32_t>(kUpdateManual) ? static_cast<std::int16_t>(stored) : kUpdateManual;
}

std::uint32_t ole1_link_update_option(std::int16_t options) { return static_cast<std::uint32_t>(options); }

std::uint64_t filetime_in_whole_milliseconds(std::chrono::system_clock::time_point time) {
    const auto since_1970 = std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::int64_t since_1601 = since_1970 + kMillisecondsFrom1601To1970;
    return since_1601 < 0 ? 0 : static_cast<std::uint64_t>(since_1601) * kFiletimeTicksPerMillisecond;
}

bool is_link(const OleObject& object) { return ole_type(object) == kOleTypeLinked; }

std::uint32_t stored_link_update_option(const OleObject& object) {
    if (const auto* container = std::get_if<ContainerObject>(&object.layout))
        return container->info.link_update_option;
    return std::get<Ole1Object>(object.layout).link_update_option;
}

}  // namespace

OleObject read_ole_object(ByteView bytes, std::size_t& consumed) {
    OleObject object;
    std::size_t taken = 0;
    if (starts_container_object(bytes))
        object.layout = read_container_object(bytes, taken);
    else
        object.layout = read_ole1_object(bytes, taken);
    object.link_update_option_as_read = stored_link_update_option(object);
    consumed = taken;
    return object;
}

Bytes write_ole_object(const OleObject& object) {
    if (const auto* container = std::get_if<ContainerObject>(&object.layout))
        return container->image;
    return write_ole1_object(std::get<Ole1Object>(object.layout));
}

int ole_type(const OleObject& object) {
    if (const auto* container = std::get_if<ContainerObject>(&object.layout))
        return container->is_link ? kOleTypeLinked : kOleTypeEmbedded;
    return std::get<Ole1Object>(object.layout).format == Ole1Format::linked ? kOleTypeLinked : kOleTypeEmbedded;
}

std::u16string source_doc(const OleObject& object) {
    if (const auto* container = std::get_if<ContainerObject>(&object.layout))
        return container->is_link ? moniker_source_path(*container->info.source_moniker()) : std::u16string();
    return ole1_source_path(std::get<Ole1Object>(object.layout));
}

std::int16_t update_options(const OleObject& object) {
    if (!is_link(object))
        return kUpdateAutomatic;
    if (const auto* container = std::get_if<ContainerObject>(&object.layout))
        return update_options_of_container(container->info.link_update_option);
    return update_options_of_ole1(std::get<Ole1Object>(object.layout).link_update_option);
}

void set_update_options(OleObject& object, std::int16_t options) {
    if (options < kUpdateAutomatic || options > kUpdateManual)
        throw OleError(OleFailure::InvalidPropertyValue, "invalid property value");
    if (!is_link(object))
        return;
    const std::uint32_t as_read = object.link_update_option_as_read;
    if (auto* container = std::get_if<ContainerObject>(&object.layout)) {
        const bool keeps_read_value = update_options_of_container(as_read) == options;
        store_container_link_update_option(*container,
                                           keeps_read_value ? as_read : container_link_update_option(options));
        return;
    }
    const bool keeps_read_value = update_options_of_ole1(as_read) == options;
    std::get<Ole1Object>(object.layout).link_update_option =
        keeps_read_value ? as_read : ole1_link_update_option(options);
}

void create_link(OleObject& object, std::u16string_view path, std::chrono::system_clock::time_point now) {
    if (auto* container = std::get_if<ContainerObject>(&object.layout))
        relink_container_object(*container, path, filetime_in_whole_milliseconds(now));
    else
        relink_ole1_object(std::get<Ole1Object>(object.layout), path);
}

}  // namespace pathmender::ole
