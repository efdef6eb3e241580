// Build tool: reads the module's interface definitions (Pathmender.idl and the files it imports)
// and writes the compact type library of type_library.h, describing what widl would put into the
// real one: the library, every interface it defines or refers to (those of an importlib excepted)
// with its members in vtable order, and the coclasses.
//   pm_make_type_library <Pathmender.idl> <output.tlb>
// It understands the part of IDL these files use; anything else stops the build with the file and
// line.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/type_library.h"

namespace {

namespace fs = std::filesystem;

struct SourceError : std::runtime_error {
    SourceError(const std::string& where, int line, const std::string& what)
        : std::runtime_error(where + ":" + std::to_string(line) + ": " + what) {}
};

// The interfaces the importlibs we know of describe; the library refers to them without copying.
const std::map<std::string, std::set<std::string>> kImportlibInterfaces = {
    {"stdole2.tlb", {"IUnknown", "IDispatch", "IEnumVARIANT"}},
};
// IDL's own base types; everything else must be a typedef or an interface.
const std::set<std::string> kBaseTypes = {"void", "char", "short", "int", "long", "hyper", "float", "double",
                                          "unsigned", "signed", "boolean", "byte", "wchar_t"};

enum class Kind { Identifier, Number, String, Punctuation, Raw, End };
struct Token {
    Kind kind;
    std::string text;
    int line;
};

class Lexer {
public:
    Lexer(std::string text, std::string where) : text_(std::move(text)), where_(std::move(where)) {}

    std::vector<Token> tokens() {
        std::vector<Token> out;
        while (true) {
            skip_blanks_and_comments();
            if (at_ >= text_.size()) break;
            // uuid( ... ) holds a GUID that is no IDL token: it is taken whole.
            if (out.size() >= 2 && out[out.size() - 2].text == "uuid" && out.back().text == "(") {
                auto end = text_.find(')', at_);
                if (end == std::string::npos) fail("unterminated uuid");
                out.push_back({Kind::Raw, trim(text_.substr(at_, end - at_)), line_});
                at_ = end;
                continue;
            }
            out.push_back(next());
        }
        out.push_back({Kind::End, "end of file", line_});
        return out;
    }

private:
    [[noreturn]] void fail(const std::string& what) const { throw SourceError(where_, line_, what); }

    static std::string trim(std::string s) {
        while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
        return s;
    }

    void skip_blanks_and_comments() {
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (c == '\n') { ++line_; ++at_; }
            else if (std::isspace(static_cast<unsigned char>(c))) ++at_;
            else if (text_.compare(at_, 2, "//") == 0) at_ = std::min(text_.find('\n', at_), text_.size());
            else if (text_.compare(at_, 2, "/*") == 0) {
                auto end = text_.find("*/", at_ + 2);
                if (end == std::string::npos) fail("unterminated comment");
                line_ += int(std::count(text_.begin() + std::ptrdiff_t(at_), text_.begin() + std::ptrdiff_t(end), '\n'));
                at_ = end + 2;
            } else break;
        }
    }

    Token next() {
        char c = text_[at_];
        auto word = [&](auto accept) {
            std::size_t from = at_;
            while (at_ < text_.size() && accept(text_[at_])) ++at_;
            return text_.substr(from, at_ - from);
        };
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_')
            return {Kind::Identifier, word([](char x) { return std::isalnum(static_cast<unsigned char>(x)) || x == '_'; }), line_};
        if (std::isdigit(static_cast<unsigned char>(c)))
            return {Kind::Number, word([](char x) { return std::isalnum(static_cast<unsigned char>(x)) || x == '.'; }), line_};
        if (c == '"') {
            auto end = text_.find_first_of("\"\\\n", at_ + 1);
            if (end == std::string::npos || text_[end] != '"') fail("unterminated string or escape in a string");
            Token t{Kind::String, text_.substr(at_ + 1, end - at_ - 1), line_};
            at_ = end + 1;
            return t;
        }
        if (c == '#') fail("preprocessor lines are not supported");
        if (std::string("[](){};,*:=").find(c) == std::string::npos) fail(std::string("unexpected character '") + c + "'");
        ++at_;
        return {Kind::Punctuation, std::string(1, c), line_};
    }

    std::string text_;
    std::string where_;
    std::size_t at_ = 0;
    int line_ = 1;
};

struct Attribute {
    std::string name;
    std::string argument;  // the text between the parentheses, if any
};
using Attributes = std::vector<Attribute>;

const Attribute* find(const Attributes& attributes, const std::string& name) {
    for (const auto& a : attributes)
        if (a.name == name) return &a;
    return nullptr;
}

// An interface as declared, before the library decides what it describes.
struct Declared {
    typelib::Interface interface;
    std::string where;
    int line = 0;
    bool defined = false;
    int ancestors = 0;       // interfaces it derives from, directly or not
    std::size_t slots = 0;   // its vtable's length
    std::vector<std::string> referenced;  // interfaces its members' types name, in order
};

struct LibraryItem {
    bool coclass = false;
    std::string name;  // of an interface the library refers to
    typelib::Coclass value;
    std::string where;
    int line = 0;
};

class Compiler {
public:
    void parse_file(const fs::path& path, const std::string& where, int line) {
        fs::path canonical = fs::weakly_canonical(path);
        if (!parsed_.insert(canonical).second) return;  // a file is read once, as widl does
        std::ifstream in(path, std::ios::binary);
        if (!in) throw SourceError(where, line, "cannot read " + path.string());
        std::stringstream text;
        text << in.rdbuf();
        File file{path, Lexer(text.str(), path.string()).tokens(), 0};
        File* outer = file_;
        file_ = &file;
        while (peek().kind != Kind::End) statement(false);
        file_ = outer;
    }

    typelib::TypeLibrary finish() {
        if (!have_library_) throw SourceError(first_file_, 1, "no library declared");
        for (const auto& item : items_) {
            if (item.coclass) {
                int defaults = 0;
                for (const auto& i : item.value.interfaces) {
                    describe(i.interface_name, item.where, item.line);
                    defaults += (i.flags & typelib::kImplementsDefault) ? 1 : 0;
                }
                if (defaults != 1) throw SourceError(item.where, item.line, "coclass " + item.value.name + " needs exactly one default interface");
                library_.coclasses.push_back(item.value);
            } else {
                describe(item.name, item.where, item.line);
            }
        }
        return library_;
    }

    void set_first_file(const std::string& where) { first_file_ = where; }

private:
    struct File {
        fs::path path;
        std::vector<Token> tokens;
        std::size_t at;
    };

    // --- tokens ---
    const Token& peek(std::size_t ahead = 0) const {
        return file_->tokens[std::min(file_->at + ahead, file_->tokens.size() - 1)];
    }
    Token take() {
        Token t = peek();
        if (t.kind != Kind::End) ++file_->at;
        return t;
    }
    [[noreturn]] void fail(const std::string& what, int line = 0) const {
        throw SourceError(file_->path.string(), line ? line : peek().line, what);
    }
    bool accept(const std::string& text) {
        if (peek().kind == Kind::String || peek().text != text) return false;
        take();
        return true;
    }
    void expect(const std::string& text) {
        if (!accept(text)) fail("expected '" + text + "', found '" + peek().text + "'");
    }
    std::string identifier(const char* what) {
        if (peek().kind != Kind::Identifier) fail(std::string("expected ") + what + ", found '" + peek().text + "'");
        return take().text;
    }
    std::string string_literal() {
        if (peek().kind != Kind::String) fail("expected a string, found '" + peek().text + "'");
        return take().text;
    }

    // --- attributes ---
    Attributes attributes(const std::set<std::string>& allowed) {
        Attributes out;
        if (!accept("[")) return out;
        do {
            int line = peek().line;
            Attribute a{identifier("an attribute"), {}};
            if (!allowed.count(a.name)) fail("attribute '" + a.name + "' is not allowed here", line);
            if (accept("(")) {
                while (peek().text != ")" && peek().kind != Kind::End) a.argument += take().text;
                expect(")");
            }
            out.push_back(std::move(a));
        } while (accept(","));
        expect("]");
        return out;
    }
    GUID uuid_of(const Attributes& attributes, int line) {
        const Attribute* a = find(attributes, "uuid");
        if (!a) fail("a uuid attribute is required", line);
        auto guid = parse_guid(a->argument);
        if (!guid || a->argument.size() != 36) fail("malformed uuid " + a->argument, line);
        return *guid;
    }

    // --- statements ---
    void statement(bool in_library) {
        int line = peek().line;
        if (accept("import")) {
            do {
                std::string name = string_literal();
                parse_file(file_->path.parent_path() / name, file_->path.string(), line);
            } while (accept(","));
            expect(";");
            return;
        }
        if (in_library && accept("importlib")) {
            expect("(");
            std::string name = string_literal();
            if (!kImportlibInterfaces.count(name)) fail("unknown type library " + name, line);
            library_.importlibs.push_back(name);
            expect(")");
            expect(";");
            return;
        }
        if (!in_library && accept("typedef")) return typedef_statement(line);
        Attributes attrs = attributes({"uuid", "object", "dual", "hidden", "oleautomation", "local", "pointer_default",
                                       "version", "helpstring", "noncreatable"});
        std::string keyword = identifier("a declaration");
        if (keyword == "interface") interface_statement(attrs, in_library, line);
        else if (keyword == "library" && !in_library) library_statement(attrs, line);
        else if (keyword == "coclass" && in_library) coclass_statement(attrs, line);
        else fail("unsupported declaration '" + keyword + "'", line);
    }

    void typedef_statement(int line) {
        attributes({"unique"});
        // The name is the last identifier before the ';' outside braces.
        std::string name;
        int depth = 0;
        while (depth > 0 || peek().text != ";") {
            if (peek().kind == Kind::End) fail("unterminated typedef", line);
            Token t = take();
            if (t.text == "{") ++depth;
            else if (t.text == "}") --depth;
            else if (depth == 0 && t.kind == Kind::Identifier) name = t.text;
        }
        expect(";");
        if (name.empty()) fail("typedef without a name", line);
        typedefs_.insert(name);
    }

    void interface_statement(const Attributes& attrs, bool in_library, int line) {
        std::string name = identifier("an interface name");
        Declared& declared = interfaces_[name];
        if (declared.interface.name.empty()) {
            declared.interface.name = name;
            declared.where = file_->path.string();
            declared.line = line;
        }
        if (accept(";")) {  // a forward declaration, or in a library a reference
            if (!attrs.empty()) fail("a forward declaration takes no attributes", line);
            if (in_library) items_.push_back({false, name, {}, file_->path.string(), line});
            return;
        }
        if (declared.defined) fail("interface " + name + " is defined twice", line);
        declared.defined = true;
        declared.where = file_->path.string();
        declared.line = line;
        typelib::Interface& i = declared.interface;
        i.iid = uuid_of(attrs, line);
        for (const auto& a : attrs)
            if (a.name == "version" || a.name == "helpstring" || a.name == "noncreatable")
                fail("attribute '" + a.name + "' is not allowed on an interface", line);
        i.flags = std::uint16_t((find(attrs, "dual") ? typelib::kInterfaceDual : 0) |
                                (find(attrs, "hidden") ? typelib::kInterfaceHidden : 0) |
                                (find(attrs, "oleautomation") ? typelib::kInterfaceOleAutomation : 0));
        int ancestors = 0;
        std::size_t first_slot = 0;
        if (accept(":")) {
            i.base = identifier("a base interface");
            auto base = interfaces_.find(i.base);
            if (base == interfaces_.end() || !base->second.defined) fail("base interface " + i.base + " is not defined", line);
            ancestors = base->second.ancestors + 1;
            first_slot = base->second.slots;
        }
        expect("{");
        while (!accept("}")) member(declared, ancestors, first_slot);
        accept(";");
        declared.ancestors = ancestors;
        declared.slots = first_slot + i.members.size();
        if (in_library) items_.push_back({false, name, {}, file_->path.string(), line});
    }

    void member(Declared& declared, int ancestors, std::size_t first_slot) {
        typelib::Interface& i = declared.interface;
        int line = peek().line;
        Attributes attrs = attributes({"propget", "id"});
        typelib::Member m;
        m.return_type = type(declared);
        m.name = identifier("a member name");
        std::size_t index = i.members.size();
        m.kind = find(attrs, "propget") ? typelib::kInvokePropertyGet : typelib::kInvokeMethod;
        m.slot = std::uint16_t(first_slot + index);
        m.dispid = std::int32_t(0x60000000u | std::uint32_t(ancestors) << 16 | std::uint32_t(index));
        if (const Attribute* id = find(attrs, "id")) {
            try {
                std::size_t used = 0;
                m.dispid = std::int32_t(std::stoul(id->argument, &used, 0));
                if (used != id->argument.size()) throw std::invalid_argument("trailing text");
            } catch (const std::exception&) {
                fail("malformed id(" + id->argument + ")", line);
            }
        }
        expect("(");
        if (peek().text == "void" && peek(1).text == ")") take();
        while (!accept(")")) {
            if (!m.parameters.empty()) expect(",");
            Attributes p = attributes({"in", "out", "retval", "iid_is", "size_is"});
            typelib::Parameter parameter;
            parameter.type = type(declared);
            parameter.name = identifier("a parameter name");
            parameter.flags = std::uint16_t((find(p, "in") ? typelib::kParamIn : 0) | (find(p, "out") ? typelib::kParamOut : 0) |
                                            (find(p, "retval") ? typelib::kParamRetval : 0));
            m.parameters.push_back(std::move(parameter));
        }
        expect(";");
        for (std::size_t k = 0; k < m.parameters.size(); ++k) {
            const auto& p = m.parameters[k];
            if ((p.flags & typelib::kParamRetval) && (k + 1 != m.parameters.size() || !(p.flags & typelib::kParamOut)))
                fail("retval must be the last parameter, and out", line);
            if ((p.flags & typelib::kParamOut) && p.type.find('*') == std::string::npos)
                fail("out parameter " + p.name + " must be a pointer", line);
        }
        bool retval = !m.parameters.empty() && (m.parameters.back().flags & typelib::kParamRetval);
        if (m.kind == typelib::kInvokePropertyGet && !retval) fail("propget " + m.name + " needs an [out, retval] parameter", line);
        if ((i.flags & typelib::kInterfaceDual) && m.return_type != "HRESULT") fail("a dual interface's members return HRESULT", line);
        for (const auto& other : i.members)
            if (other.name == m.name) fail("member " + m.name + " declared twice", line);
        i.members.push_back(std::move(m));
    }

    // A type as declared: its words, then its pointer stars.
    std::string type(Declared& declared) {
        std::string text;
        while (peek().kind == Kind::Identifier && (peek(1).kind == Kind::Identifier || peek(1).text == "*")) {
            std::string word = take().text;
            if (!kBaseTypes.count(word) && !typedefs_.count(word) && !interfaces_.count(word))
                fail("unknown type " + word);
            if (interfaces_.count(word) &&
                std::find(declared.referenced.begin(), declared.referenced.end(), word) == declared.referenced.end())
                declared.referenced.push_back(word);
            text += (text.empty() ? "" : " ") + word;
        }
        if (text.empty()) fail("expected a type, found '" + peek().text + "'");
        while (accept("*")) text += "*";
        return text;
    }

    void library_statement(const Attributes& attrs, int line) {
        if (have_library_) fail("a second library", line);
        have_library_ = true;
        for (const auto& a : attrs)
            if (a.name != "uuid" && a.name != "version" && a.name != "helpstring")
                fail("attribute '" + a.name + "' is not allowed on a library", line);
        library_.name = identifier("a library name");
        library_.libid = uuid_of(attrs, line);
        const Attribute* version = find(attrs, "version");
        if (!version) fail("a version attribute is required", line);
        auto dot = version->argument.find('.');
        try {
            library_.major = std::uint16_t(std::stoul(version->argument.substr(0, dot)));
            library_.minor = dot == std::string::npos ? 0 : std::uint16_t(std::stoul(version->argument.substr(dot + 1)));
        } catch (const std::exception&) {
            fail("malformed version(" + version->argument + ")", line);
        }
        if (const Attribute* help = find(attrs, "helpstring")) {
            if (help->argument.empty()) fail("helpstring takes a string", line);
            library_.help_string = help->argument;
        }
        expect("{");
        while (!accept("}")) statement(true);
        accept(";");
    }

    void coclass_statement(const Attributes& attrs, int line) {
        typelib::Coclass c;
        c.name = identifier("a coclass name");
        c.clsid = uuid_of(attrs, line);
        for (const auto& a : attrs)
            if (a.name != "uuid" && a.name != "noncreatable") fail("attribute '" + a.name + "' is not allowed on a coclass", line);
        c.flags = find(attrs, "noncreatable") ? typelib::kCoclassNotCreatable : 0;
        expect("{");
        while (!accept("}")) {
            Attributes entry = attributes({"default"});
            expect("interface");
            std::string name = identifier("an interface name");
            if (!interfaces_.count(name)) fail("unknown interface " + name);
            expect(";");
            c.interfaces.push_back({name, find(entry, "default") ? typelib::kImplementsDefault : std::uint16_t{0}});
        }
        accept(";");
        items_.push_back({true, {}, std::move(c), file_->path.string(), line});
    }

    // --- what the library describes ---
    bool from_importlib(const std::string& name) const {
        for (const auto& file : library_.importlibs)
            if (kImportlibInterfaces.at(file).count(name)) return true;
        return false;
    }

    // Adds an interface the library refers to as widl does: its base first, then itself, then the
    // interfaces its members name.
    void describe(const std::string& name, const std::string& where, int line) {
        if (from_importlib(name) || described_.count(name)) return;
        const Declared& declared = interfaces_.at(name);
        if (!declared.defined) throw SourceError(where, line, "interface " + name + " is referred to but not defined");
        described_.insert(name);
        if (!declared.interface.base.empty()) describe(declared.interface.base, declared.where, declared.line);
        library_.interfaces.push_back(declared.interface);
        for (const auto& other : declared.referenced) describe(other, declared.where, declared.line);
    }

    std::map<std::string, Declared> interfaces_;
    std::set<std::string> typedefs_;
    std::vector<LibraryItem> items_;
    std::set<std::string> described_;
    std::set<fs::path> parsed_;
    typelib::TypeLibrary library_;
    bool have_library_ = false;
    std::string first_file_;
    File* file_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pm_make_type_library <source.idl> <output.tlb>\n";
        return 2;
    }
    try {
        Compiler compiler;
        compiler.set_first_file(argv[1]);
        compiler.parse_file(argv[1], argv[1], 0);
        typelib::TypeLibrary library = compiler.finish();
        auto bytes = typelib::write_type_library(library);
        if (typelib::read_type_library(bytes) != library) throw std::runtime_error("the compiled form does not read back");
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const SourceError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
