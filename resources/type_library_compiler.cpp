// Build tool: compiles the type library's source description (type_library.odl, whose header
// gives the syntax) into the compact form of type_library.h.
//   pm_make_type_library <source.odl> <output.tlb>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/type_library.h"

namespace {

struct SourceError : std::runtime_error {
    SourceError(int line, const std::string& what) : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

// Splits a line into words; a double-quoted word may hold blanks.
std::vector<std::string> words(const std::string& line, int number) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') { ++i; continue; }
        if (line[i] == '"') {
            auto end = line.find('"', i + 1);
            if (end == std::string::npos) throw SourceError(number, "unterminated string");
            out.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        auto end = line.find_first_of(" \t\r", i);
        out.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
        i = end == std::string::npos ? line.size() : end;
    }
    return out;
}

GUID guid_word(const std::string& word, int number) {
    if (word.size() != 38) throw SourceError(number, "expected a braced identifier, found " + word);
    auto parsed = parse_guid(word);
    if (!parsed) throw SourceError(number, "malformed identifier " + word);
    return *parsed;
}

typelib::TypeLibrary compile(std::istream& in) {
    typelib::TypeLibrary library;
    bool have_library = false;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        auto w = words(line, number);
        if (w.empty() || w[0].front() == '#') continue;
        const std::string& keyword = w[0];
        auto flag = [&](std::size_t from, const std::set<std::string>& allowed) {
            for (std::size_t i = from; i < w.size(); ++i)
                if (!allowed.count(w[i])) throw SourceError(number, "unknown attribute " + w[i]);
        };
        auto has = [&](std::size_t from, const char* attribute) {
            for (std::size_t i = from; i < w.size(); ++i)
                if (w[i] == attribute) return true;
            return false;
        };
        if (keyword == "library") {
            if (have_library || w.size() != 5) throw SourceError(number, "library NAME {LIBID} MAJOR.MINOR \"help\"");
            library.name = w[1];
            library.libid = guid_word(w[2], number);
            auto dot = w[3].find('.');
            if (dot == std::string::npos) throw SourceError(number, "version must be MAJOR.MINOR");
            library.major = std::uint16_t(std::stoi(w[3].substr(0, dot)));
            library.minor = std::uint16_t(std::stoi(w[3].substr(dot + 1)));
            library.help_string = w[4];
            have_library = true;
        } else if (keyword == "import") {
            if (w.size() < 2 || w.size() % 2 != 0) throw SourceError(number, "import LIBRARY [INTERFACE {IID}]...");
            typelib::Import import{w[1], {}};
            for (std::size_t i = 2; i < w.size(); i += 2) import.interfaces.push_back({w[i], guid_word(w[i + 1], number)});
            library.imports.push_back(std::move(import));
        } else if (keyword == "interface") {
            if (w.size() < 3) throw SourceError(number, "interface NAME {IID} [dual] [hidden]");
            flag(3, {"dual", "hidden"});
            auto flags = std::uint16_t((has(3, "dual") ? typelib::kInterfaceDual : 0) |
                                       (has(3, "hidden") ? typelib::kInterfaceHidden : 0));
            library.interfaces.push_back({w[1], guid_word(w[2], number), flags, {}});
        } else if (keyword == "method") {
            if (w.size() != 2 || library.interfaces.empty()) throw SourceError(number, "method NAME, inside an interface");
            library.interfaces.back().methods.push_back({w[1], {}});
        } else if (keyword == "param") {
            if (w.size() < 3 || library.interfaces.empty() || library.interfaces.back().methods.empty())
                throw SourceError(number, "param NAME TYPE [in] [out], inside a method");
            flag(3, {"in", "out"});
            auto flags = std::uint16_t((has(3, "in") ? typelib::kParamIn : 0) | (has(3, "out") ? typelib::kParamOut : 0));
            library.interfaces.back().methods.back().parameters.push_back({w[1], w[2], flags});
        } else if (keyword == "coclass") {
            if (w.size() < 3) throw SourceError(number, "coclass NAME {CLSID} [noncreatable]");
            flag(3, {"noncreatable"});
            auto flags = std::uint16_t(has(3, "noncreatable") ? typelib::kCoclassNotCreatable : 0);
            library.coclasses.push_back({w[1], guid_word(w[2], number), flags, {}});
        } else if (keyword == "implements") {
            if (w.size() < 2 || library.coclasses.empty()) throw SourceError(number, "implements INTERFACE [default], inside a coclass");
            flag(2, {"default"});
            library.coclasses.back().interfaces.push_back({w[1], has(2, "default") ? typelib::kImplementsDefault : std::uint16_t{0}});
        } else {
            throw SourceError(number, "unknown declaration " + keyword);
        }
    }
    if (!have_library) throw SourceError(number, "no library declaration");
    return library;
}

// Every name a declaration refers to must be declared here or imported.
void check_references(const typelib::TypeLibrary& library) {
    std::set<std::string> known;
    for (const auto& import : library.imports)
        for (const auto& i : import.interfaces) known.insert(i.name);
    for (const auto& i : library.interfaces)
        if (!known.insert(i.name).second) throw std::runtime_error("interface " + i.name + " declared twice");
    for (const auto& i : library.interfaces)
        for (const auto& m : i.methods)
            for (const auto& p : m.parameters) {
                std::string base = p.type.substr(0, p.type.find('*'));
                if (!known.count(base)) throw std::runtime_error("unknown type " + p.type + " in " + i.name + "." + m.name);
            }
    for (const auto& c : library.coclasses) {
        int defaults = 0;
        for (const auto& i : c.interfaces) {
            if (!known.count(i.interface_name)) throw std::runtime_error("coclass " + c.name + " lists unknown " + i.interface_name);
            defaults += (i.flags & typelib::kImplementsDefault) ? 1 : 0;
        }
        if (defaults != 1) throw std::runtime_error("coclass " + c.name + " needs exactly one default interface");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pm_make_type_library <source.odl> <output.tlb>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in) throw std::runtime_error("cannot read the source");
        typelib::TypeLibrary library = compile(in);
        check_references(library);
        auto bytes = typelib::write_type_library(library);
        if (typelib::read_type_library(bytes) != library) throw std::runtime_error("the compiled form does not read back");
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
