// The module's type library: what it declares, and the compact form in which the module carries it
// on Linux (resource TYPELIB, name 1). The build compiles resources/Pathmender.idl, the source widl
// turns into the real type library on Windows, into that form; the module's registration, its
// late binding, the host and the tests read it back with read_type_library.
//
// Compiled form, little-endian throughout:
//   magic      4 bytes "PMTL"
//   format     u16 = 2
//   library    guid, u16 major, u16 minor, str name, str help string
//   importlibs u16 count, each: str file name (the type libraries referred to, not copied)
//   interfaces u16 count, each: str name, guid, u16 flags (1 dual, 2 hidden, 4 oleautomation),
//              str base interface,
//              u16 count of members in vtable order, each: str name, u32 DISPID,
//              u16 invoke kind (1 method, 2 property get), u16 vtable slot, str return type,
//              u16 count of parameters, each: str name, str type, u16 flags (1 in, 2 out, 8 retval)
//   coclasses  u16 count, each: str name, guid, u16 flags (1 not creatable),
//              u16 count, each: str interface name, u16 flags (1 default)
// A str is a u16 byte length and that many bytes of UTF-8; a guid is 16 bytes in the platform's
// GUID layout (Data1, Data2, Data3 little-endian, then Data4); a type is its declaration's text,
// e.g. "BSTR*" or "ISessionContext**". The interfaces are every one the library describes: its
// own and the host's it refers to, in the order widl writes them. Nothing may follow the coclasses.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "com/guid.h"

namespace typelib {

inline constexpr std::uint16_t kFormat = 2;

inline constexpr std::uint16_t kInterfaceDual = 1, kInterfaceHidden = 2, kInterfaceOleAutomation = 4;
// The platform's INVOKEKIND and PARAMFLAG values.
inline constexpr std::uint16_t kInvokeMethod = 1, kInvokePropertyGet = 2;
inline constexpr std::uint16_t kParamIn = 1, kParamOut = 2, kParamRetval = 8;
inline constexpr std::uint16_t kCoclassNotCreatable = 1;
inline constexpr std::uint16_t kImplementsDefault = 1;

struct Parameter {
    std::string name;
    std::string type;  // as declared, e.g. "ISessionContext**" for an object passed by reference
    std::uint16_t flags = 0;
    friend bool operator==(const Parameter&, const Parameter&) = default;
};
struct Member {
    std::string name;
    std::int32_t dispid = 0;
    std::uint16_t kind = kInvokeMethod;
    std::uint16_t slot = 0;  // index into the interface's vtable, IUnknown's members included
    std::string return_type;
    std::vector<Parameter> parameters;
    friend bool operator==(const Member&, const Member&) = default;
};
struct Interface {
    std::string name;
    GUID iid{};
    std::uint16_t flags = 0;
    std::string base;
    std::vector<Member> members;
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
    std::vector<std::string> importlibs;
    std::vector<Interface> interfaces;
    std::vector<Coclass> coclasses;
    friend bool operator==(const TypeLibrary&, const TypeLibrary&) = default;

    // The interface of that identifier, or null.
    const Interface* find(const GUID& iid) const {
        for (const Interface& i : interfaces)
            if (i.iid == iid) return &i;
        return nullptr;
    }
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
    w.count(library.importlibs.size());
    for (const auto& file : library.importlibs) w.str(file);
    w.count(library.interfaces.size());
    for (const auto& i : library.interfaces) {
        w.str(i.name);
        w.guid(i.iid);
        w.u16(i.flags);
        w.str(i.base);
        w.count(i.members.size());
        for (const auto& m : i.members) {
            w.str(m.name);
            w.u32(std::uint32_t(m.dispid));
            w.u16(m.kind);
            w.u16(m.slot);
            w.str(m.return_type);
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
    for (auto n = r.u16(); n > 0; --n) library.importlibs.push_back(r.str());
    for (auto n = r.u16(); n > 0; --n) {
        Interface i;
        i.name = r.str();
        i.iid = r.guid();
        i.flags = r.u16();
        i.base = r.str();
        for (auto k = r.u16(); k > 0; --k) {
            Member m;
            m.name = r.str();
            m.dispid = std::int32_t(r.u32());
            m.kind = r.u16();
            m.slot = r.u16();
            m.return_type = r.str();
            for (auto p = r.u16(); p > 0; --p) {
                Parameter parameter;
                parameter.name = r.str();
                parameter.type = r.str();
                parameter.flags = r.u16();
                m.parameters.push_back(std::move(parameter));
            }
            i.members.push_back(std::move(m));
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
