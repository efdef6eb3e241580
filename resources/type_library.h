// The module's type library: what it declares, and the compact form in which the module carries it
// (resource TYPELIB, name 1). The build compiles resources/type_library.odl into that form; the
// module's registration, the host and the tests read it back with read_type_library.
//
// Compiled form, little-endian throughout:
//   magic      4 bytes "PMTL"
//   format     u16 = 1
//   library    guid, u16 major, u16 minor, str name, str help string
//   imports    u16 count, each: str library name, u16 count, each: str interface name, guid
//   interfaces u16 count, each: str name, guid, u16 flags (1 dual, 2 hidden),
//              u16 count of methods, each: str name,
//              u16 count of parameters, each: str name, str type, u16 flags (1 in, 2 out)
//   coclasses  u16 count, each: str name, guid, u16 flags (1 not creatable),
//              u16 count, each: str interface name, u16 flags (1 default)
// A str is a u16 byte length and that many bytes of UTF-8; a guid is 16 bytes in the platform's
// GUID layout (Data1, Data2, Data3 little-endian, then Data4). Nothing may follow the coclasses.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "com/guid.h"

namespace typelib {

inline constexpr std::uint16_t kFormat = 1;

inline constexpr std::uint16_t kInterfaceDual = 1, kInterfaceHidden = 2;
inline constexpr std::uint16_t kParamIn = 1, kParamOut = 2;
inline constexpr std::uint16_t kCoclassNotCreatable = 1;
inline constexpr std::uint16_t kImplementsDefault = 1;

struct ImportedInterface {
    std::string name;
    GUID iid{};
    friend bool operator==(const ImportedInterface&, const ImportedInterface&) = default;
};
struct Import {
    std::string library;
    std::vector<ImportedInterface> interfaces;  // the ones this library refers to
    friend bool operator==(const Import&, const Import&) = default;
};
struct Parameter {
    std::string name;
    std::string type;  // as declared, e.g. "ISessionContext**" for an object passed by reference
    std::uint16_t flags = 0;
    friend bool operator==(const Parameter&, const Parameter&) = default;
};
struct Method {
    std::string name;
    std::vector<Parameter> parameters;
    friend bool operator==(const Method&, const Method&) = default;
};
struct Interface {
    std::string name;
    GUID iid{};
    std::uint16_t flags = 0;
    std::vector<Method> methods;
    friend bool operator==(const Interface&, const Interface&) = default;
};
struct Implemented {
    std::string interface_name;
    std::uint16_t flags = 0;
    friend bool operator==(const Implemented&, const Implemented&) = default;
};
struct Coclass {
    std::string name;
    GUID clsid{};
    std::uint16_t flags = 0;
    std::vector<Implemented> interfaces;
    friend bool operator==(const Coclass&, const Coclass&) = default;
};
struct TypeLibrary {
    std::string name;
    GUID libid{};
    std::uint16_t major = 0, minor = 0;
    std::string help_string;
    std::vector<Import> imports;
    std::vector<Interface> interfaces;
    std::vector<Coclass> coclasses;
    friend bool operator==(const TypeLibrary&, const TypeLibrary&) = default;
};

struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

namespace detail {

class Writer {
public:
    void u16(std::uint16_t v) { out_.push_back(std::uint8_t(v)); out_.push_back(std::uint8_t(v >> 8)); }
    void u32(std::uint32_t v) { u16(std::uint16_t(v)); u16(std::uint16_t(v >> 16)); }
    void count(std::size_t n) {
        if (n > 0xFFFF) throw FormatError("type library: too many entries");
        u16(std::uint16_t(n));
    }
    void str(const std::string& s) {
        count(s.size());
        out_.insert(out_.end(), s.begin(), s.end());
    }
    void guid(const GUID& g) {
        u32(g.Data1);
        u16(g.Data2);
        u16(g.Data3);
        out_.insert(out_.end(), g.Data4, g.Data4 + 8);
    }
    void bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
    std::vector<unsigned char> take() { return std::move(out_); }

private:
    std::vector<unsigned char> out_;
};

class Reader {
public:
    explicit Reader(std::span<const unsigned char> data) : data_(data) {}
    std::span<const unsigned char> take(std::size_t n) {
        if (data_.size() - at_ < n) throw FormatError("type library: truncated");
        auto part = data_.subspan(at_, n);
        at_ += n;
        return part;
    }
    std::uint16_t u16() { auto b = take(2); return std::uint16_t(b[0] | b[1] << 8); }
    std::uint32_t u32() { std::uint32_t lo = u16(); return lo | std::uint32_t(u16()) << 16; }
    std::string str() {
        auto b = take(u16());
        return std::string(b.begin(), b.end());
    }
    GUID guid() {
        GUID g{};
        g.Data1 = u32();
        g.Data2 = u16();
        g.Data3 = u16();
        auto b = take(8);
        std::copy(b.begin(), b.end(), g.Data4);
        return g;
    }
    bool at_end() const { return at_ == data_.size(); }

private:
    std::span<const unsigned char> data_;
    std::size_t at_ = 0;
};

}  // namespace detail

inline std::vector<unsigned char> write_type_library(const TypeLibrary& library) {
    detail::Writer w;
    w.bytes("PMTL");
    w.u16(kFormat);
    w.guid(library.libid);
    w.u16(library.major);
    w.u16(library.minor);
    w.str(library.name);
    w.str(library.help_string);
    w.count(library.imports.size());
    for (const auto& import : library.imports) {
        w.str(import.library);
        w.count(import.interfaces.size());
        for (const auto& i : import.interfaces) {
            w.str(i.name);
            w.guid(i.iid);
        }
    }
    w.count(library.interfaces.size());
    for (const auto& i : library.interfaces) {
        w.str(i.name);
        w.guid(i.iid);
        w.u16(i.flags);
        w.count(i.methods.size());
        for (const auto& m : i.methods) {
            w.str(m.name);
            w.count(m.parameters.size());
            for (const auto& p : m.parameters) {
                w.str(p.name);
                w.str(p.type);
                w.u16(p.flags);
            }
        }
    }
    w.count(library.coclasses.size());
    for (const auto& c : library.coclasses) {
        w.str(c.name);
        w.guid(c.clsid);
        w.u16(c.flags);
        w.count(c.interfaces.size());
        for (const auto& i : c.interfaces) {
            w.str(i.interface_name);
            w.u16(i.flags);
        }
    }
    return w.take();
}

// Raises FormatError for anything that is not a complete type library of this format.
inline TypeLibrary read_type_library(std::span<const unsigned char> data) {
    detail::Reader r(data);
    auto magic = r.take(4);
    if (std::string(magic.begin(), magic.end()) != "PMTL") throw FormatError("not a type library");
    if (r.u16() != kFormat) throw FormatError("type library of an unknown format");
    TypeLibrary library;
    library.libid = r.guid();
    library.major = r.u16();
    library.minor = r.u16();
    library.name = r.str();
    library.help_string = r.str();
    for (auto n = r.u16(); n > 0; --n) {
        Import import{r.str(), {}};
        for (auto k = r.u16(); k > 0; --k) {
            ImportedInterface i;
            i.name = r.str();
            i.iid = r.guid();
            import.interfaces.push_back(std::move(i));
        }
        library.imports.push_back(std::move(import));
    }
    for (auto n = r.u16(); n > 0; --n) {
        Interface i;
        i.name = r.str();
        i.iid = r.guid();
        i.flags = r.u16();
        for (auto k = r.u16(); k > 0; --k) {
            Method m{r.str(), {}};
            for (auto p = r.u16(); p > 0; --p) {
                Parameter parameter;
                parameter.name = r.str();
                parameter.type = r.str();
                parameter.flags = r.u16();
                m.parameters.push_back(std::move(parameter));
            }
            i.methods.push_back(std::move(m));
        }
        library.interfaces.push_back(std::move(i));
    }
    for (auto n = r.u16(); n > 0; --n) {
        Coclass c;
        c.name = r.str();
        c.clsid = r.guid();
        c.flags = r.u16();
        for (auto k = r.u16(); k > 0; --k) {
            Implemented i;
            i.interface_name = r.str();
            i.flags = r.u16();
            c.interfaces.push_back(std::move(i));
        }
        library.coclasses.push_back(std::move(c));
    }
    if (!r.at_end()) throw FormatError("type library: data after the last coclass");
    return library;
}

}  // namespace typelib
