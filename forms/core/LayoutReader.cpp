#include "LayoutReader.h"

#include <cctype>

#include "WinControl.h"
#include "base/Utf8.h"

namespace forms {

namespace {

// The value of a hexadecimal digit, either case.
int HexDigitValue(char d) {
    return std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                                                       : std::tolower(static_cast<unsigned char>(d)) - 'a' + 10;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& name) : text_(text), name_(name) {}

    LayoutNode ParseRoot() {
        SkipSpace();
        LayoutNode root = ParseObject();
        SkipSpace();
        if (pos_ < text_.size()) Fail("text after the last 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ELayoutError(name_ + ":" + std::to_string(line_) + ": " + what);
    }

    void SkipSpace() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    // Blanks within a line only.
    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r')) ++pos_;
    }

    static bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

    std::string Ident(bool dotted) {
        if (pos_ >= text_.size() || !IdentStart(text_[pos_])) Fail("name expected");
        const size_t start = pos_;
        while (pos_ < text_.size() && (IdentChar(text_[pos_]) || (dotted && text_[pos_] == '.'))) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    void Expect(char c, const std::string& what) {
        SkipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != c) Fail(what + " expected");
        ++pos_;
    }

    LayoutNode ParseObject() {
        LayoutNode node;
        node.Line = line_;
        if (Ident(false) != "object") Fail("'object' expected");
        SkipBlanks();
        node.Name = Ident(false);
        Expect(':', "':'");
        SkipBlanks();
        node.ClassName = Ident(false);
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) Fail("'end' of " + node.Name + " missing");
            const size_t save = pos_;
            const int line = line_;
            const std::string word = Ident(true);
            if (word == "end") return node;
            if (word == "object") {
                pos_ = save;
                node.Children.push_back(ParseObject());
                continue;
            }
            LayoutProperty p;
            p.Name = word;
            p.Line = line;
            Expect('=', "'=' after " + word);
            SkipBlanks();
            p.Value = ParseValue();
            node.Properties.push_back(std::move(p));
        }
    }

    // A string: quoted pieces ('it''s') and character numbers (#13), joined by + or
    // written side by side.
    std::string ParseString() {
        std::string out;
        for (;;) {
            if (pos_ < text_.size() && text_[pos_] == '\'') ParseQuoted(out);
            else if (pos_ < text_.size() && text_[pos_] == '#') ParseCharacterNumber(out);
            else break;
            SkipBlanks();
            if (pos_ < text_.size() && text_[pos_] == '+') {
                ++pos_;
                SkipSpace();
                if (pos_ >= text_.size() || (text_[pos_] != '\'' && text_[pos_] != '#'))
                    Fail("string expected after +");
            }
        }
        return out;
    }

    // One quoted piece, its doubled quotes read as one.
    void ParseQuoted(std::string& out) {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("string not closed");
            if (text_[pos_] != '\'') {
                out += text_[pos_++];
            } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                out += '\'';
                pos_ += 2;
            } else {
                ++pos_;
                return;
            }
        }
    }

    void ParseCharacterNumber(std::string& out) {
        ++pos_;
        uint32_t cp = 0;
        size_t digits = 0;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            cp = cp * 10 + static_cast<uint32_t>(text_[pos_++] - '0');
            if (++digits > 7 || cp > 0x10FFFF) Fail("character number out of range");
        }
        if (digits == 0) Fail("character number expected after #");
        base::AppendUtf8(out, cp);
    }

    LayoutValue ParseValue() {
        if (pos_ >= text_.size()) Fail("value expected");
        const char c = text_[pos_];
        if (c == '\'' || c == '#') return LayoutValue::Str(ParseString());
        if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c)))
            return LayoutValue::Int(ParseInteger());
        if (c == '[') return ParseSet();
        if (c == '{') return ParseBinary();
        if (IdentStart(c)) return LayoutValue::Ident(Ident(false));
        Fail(std::string("unexpected character '") + c + "'");
    }

    int64_t ParseInteger() {
        bool negative = false;
        if (text_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        uint64_t v = 0;
        const int base = (pos_ < text_.size() && text_[pos_] == '$') ? 16 : 10;
        if (base == 16) ++pos_;
        size_t digits = 0;
        while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
            const char d = text_[pos_];
            if (base == 10 && !std::isdigit(static_cast<unsigned char>(d))) break;
            const auto digit = static_cast<uint64_t>(HexDigitValue(d));
            if (v > (UINT64_MAX - digit) / static_cast<uint64_t>(base)) Fail("number out of range");
            v = v * static_cast<uint64_t>(base) + digit;
            ++pos_, ++digits;
        }
        if (digits == 0) Fail("number expected");
        if (pos_ < text_.size() && IdentChar(text_[pos_])) Fail("malformed number");
        if (negative) {
            if (v > static_cast<uint64_t>(INT64_MAX) + 1) Fail("number out of range");
            return v == static_cast<uint64_t>(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(v);
        }
        if (base == 10 && v > static_cast<uint64_t>(INT64_MAX)) Fail("number out of range");
        return static_cast<int64_t>(v);
    }

    LayoutValue ParseSet() {
        ++pos_;
        std::vector<std::string> items;
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return LayoutValue::SetOf(items);
        }
        for (;;) {
            SkipSpace();
            items.push_back(Ident(false));
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return LayoutValue::SetOf(items);
            }
            Fail("',' or ']' expected in set");
        }
    }

    LayoutValue ParseBinary() {
        ++pos_;
        std::vector<uint8_t> bytes;
        int half = -1;
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size()) Fail("'}' missing");
            const char c = text_[pos_++];
            if (c == '}') break;
            if (!std::isxdigit(static_cast<unsigned char>(c))) Fail("hex digit expected in binary data");
            const int v = HexDigitValue(c);
            if (half < 0) {
                half = v;
            } else {
                bytes.push_back(static_cast<uint8_t>(half * 16 + v));
                half = -1;
            }
        }
        if (half >= 0) Fail("odd number of hex digits in binary data");
        return LayoutValue::Bin(std::move(bytes));
    }

    std::string_view text_;
    const std::string& name_;
    size_t pos_ = 0;
    int line_ = 1;
};

class Applier {
public:
    Applier(TComponent& root, const std::string& name) : root_(root), name_(name) {}

    void Run(const LayoutNode& node) {
        if (node.ClassName != root_.ClassName())
            Fail(node.Line, "the layout is for " + node.ClassName + ", not " + root_.ClassName());
        root_.SetLoading(true);
        created_.push_back(&root_);
        try {
            ApplyProperties(root_, node);
            CreateChildren(node, dynamic_cast<TWinControl*>(&root_));
        } catch (...) {
            for (TComponent* c : created_) c->SetLoading(false);
            throw;
        }
        for (TComponent* c : created_) c->SetLoading(false);
        for (TComponent* c : created_) c->Loaded();
    }

private:
    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw ELayoutError(name_ + ":" + std::to_string(line) + ": " + what);
    }

    void ApplyProperties(TObject& target, const LayoutNode& node) {
        for (const LayoutProperty& p : node.Properties) {
            TObject* object = &target;
            std::string rest = p.Name;
            const TPropInfo* info = nullptr;
            for (;;) {
                const size_t dot = rest.find('.');
                const std::string head = rest.substr(0, dot);
                info = object->ClassType().FindProperty(head);
                if (!info) Fail(p.Line, "unknown property " + p.Name + " of " + node.Name);
                if (dot == std::string::npos) break;
                if (!info->Nested) Fail(p.Line, "unknown property " + p.Name + " of " + node.Name);
                object = info->Nested(*object);
                rest = rest.substr(dot + 1);
            }
            if (!info->Write) Fail(p.Line, "property " + p.Name + " of " + node.Name + " cannot be written");
            try {
                info->Write(*object, p.Value, &root_);
            } catch (const EPropertyError& e) {
                Fail(p.Line, p.Name + " of " + node.Name + ": " + e.what());
            }
        }
    }

    void CreateChildren(const LayoutNode& node, TWinControl* container) {
        for (const LayoutNode& child : node.Children) {
            const TClassInfo* cls = root_.ClassType().FindFieldClass(child.ClassName);
            if (!cls) cls = FindClass(child.ClassName);
            if (!cls || !cls->Create) Fail(child.Line, "unknown class " + child.ClassName);
            TComponent* c = cls->Create(&root_);
            c->SetLoading(true);
            created_.push_back(c);
            c->SetName(child.Name);
            auto* control = dynamic_cast<TControl*>(c);
            if (control && container) control->SetParent(container);
            if (const TFieldInfo* f = root_.ClassType().FindField(child.Name)) {
                if (!cls->InheritsFrom(*f->Type))
                    Fail(child.Line, child.Name + " is a " + f->Type->Name + ", not a " + child.ClassName);
                f->Assign(root_, c);
            }
            ApplyProperties(*c, child);
            auto* inner = dynamic_cast<TWinControl*>(c);
            if (!child.Children.empty() && !inner) Fail(child.Line, child.Name + " cannot hold controls");
            CreateChildren(child, inner);
        }
    }

    TComponent& root_;
    const std::string& name_;
    std::vector<TComponent*> created_;
};

}  // namespace

LayoutNode ParseLayout(std::string_view text, const std::string& layoutName) {
    return Parser(text, layoutName).ParseRoot();
}

void ApplyLayout(TComponent& root, const LayoutNode& node, const std::string& layoutName) {
    Applier(root, layoutName).Run(node);
}

void ReadLayoutText(TComponent& root, std::string_view text, const std::string& layoutName) {
    ApplyLayout(root, ParseLayout(text, layoutName), layoutName);
}

void ReadLayout(TComponent& root, std::string_view name, std::string_view text) {
    const std::string file = std::string(name) + ".layout";
    if (text.empty()) throw ELayoutError("no stored layout " + file);
    ReadLayoutText(root, text, file);
}

}  // namespace forms
