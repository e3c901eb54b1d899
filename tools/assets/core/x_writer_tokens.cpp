#include "tools/assets/core/x_writer_tokens.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace assets::xwrite {
namespace {

// Binary token codes.
enum : std::uint16_t {
    kName = 1,
    kString = 2,
    kGuid = 5,
    kIntegerList = 6,
    kFloatList = 7,
    kOBrace = 10,
    kCBrace = 11,
    kOBracket = 14,
    kCBracket = 15,
    kSemicolon = 20,
    kTemplate = 31,
    kWord = 40,
    kDword = 41,
    kFloat = 42,
    kLpstr = 49,
    kArray = 52,
};

std::uint16_t PrimitiveToken(std::string_view type) {
    if (type == "WORD") return kWord;
    if (type == "DWORD") return kDword;
    if (type == "FLOAT") return kFloat;
    if (type == "STRING") return kLpstr;
    return 0;  // a template name
}

unsigned HexDigit(char c) {
    if (c >= '0' && c <= '9') return unsigned(c - '0');
    if (c >= 'a' && c <= 'f') return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return unsigned(c - 'A' + 10);
    return 0;
}

// The hexadecimal field of `guid` from `at`, `digits` long.
std::uint32_t HexField(std::string_view guid, std::size_t at, std::size_t digits) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < digits && at + i < guid.size(); ++i) v = (v << 4) | HexDigit(guid[at + i]);
    return v;
}

}  // namespace

void TokenWriter::Token(std::uint16_t code) {
    out_.push_back(static_cast<std::uint8_t>(code & 0xFF));
    out_.push_back(static_cast<std::uint8_t>(code >> 8));
}

void TokenWriter::Word32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void TokenWriter::Text(std::string_view text) { out_.insert(out_.end(), text.begin(), text.end()); }

void TokenWriter::Name(std::string_view name) {
    Flush();
    if (binary_) {
        Token(kName);
        Word32(static_cast<std::uint32_t>(name.size()));
        Text(name);
    } else {
        Text(name);
    }
}

void TokenWriter::Guid(std::string_view guid) {
    if (!binary_) {
        Text("<");
        Text(guid);
        Text(">");
        return;
    }
    Token(kGuid);
    Word32(HexField(guid, 0, 8));
    const std::uint32_t data2 = HexField(guid, 9, 4), data3 = HexField(guid, 14, 4);
    out_.push_back(static_cast<std::uint8_t>(data2));
    out_.push_back(static_cast<std::uint8_t>(data2 >> 8));
    out_.push_back(static_cast<std::uint8_t>(data3));
    out_.push_back(static_cast<std::uint8_t>(data3 >> 8));
    const std::size_t bytes[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t at : bytes) out_.push_back(static_cast<std::uint8_t>(HexField(guid, at, 2)));
}

void TokenWriter::Declare(const TemplateDeclaration& d) {
    Flush();
    if (!binary_) {
        Text("template ");
        Text(d.name);
        Text(" {\n <");
        Text(d.guid);
        Text(">\n");
        for (const TemplateMember& m : d.members) {
            Text(m.dimension.empty() ? " " : " array ");
            Text(m.type);
            Text(" ");
            Text(m.name);
            if (!m.dimension.empty()) {
                Text("[");
                Text(m.dimension);
                Text("]");
            }
            Text(";\n");
        }
        Text("}\n\n");
        return;
    }
    Token(kTemplate);
    Name(d.name);
    Token(kOBrace);
    Guid(d.guid);
    for (const TemplateMember& m : d.members) {
        if (!m.dimension.empty()) Token(kArray);
        if (std::uint16_t code = PrimitiveToken(m.type))
            Token(code);
        else
            Name(m.type);
        Name(m.name);
        if (!m.dimension.empty()) {
            Token(kOBracket);
            Name(m.dimension);
            Token(kCBracket);
        }
        Token(kSemicolon);
    }
    Token(kCBrace);
}

void TokenWriter::Open(std::string_view type, std::string_view name) {
    Flush();
    if (binary_) {
        Name(type);
        if (!name.empty()) Name(name);
        Token(kOBrace);
    } else {
        Text(type);
        if (!name.empty()) {
            Text(" ");
            Text(name);
        }
        Text(" {");
    }
    ++depth_;
    Line();
}

void TokenWriter::Close() {
    Flush();
    --depth_;
    if (binary_) {
        Token(kCBrace);
        return;
    }
    // The current line holds only its indentation: end it at the outer depth.
    while (!out_.empty() && out_.back() == ' ') out_.pop_back();
    if (!out_.empty() && out_.back() == '\n') out_.pop_back();
    Line();
    Text("}");
    Line();
}

void TokenWriter::Reference(std::string_view name) {
    Flush();
    if (binary_) {
        Token(kOBrace);
        Name(name);
        Token(kCBrace);
    } else {
        Text("{ ");
        Text(name);
        Text(" }");
    }
    Line();
}

void TokenWriter::Int(std::uint32_t value) {
    if (binary_) {
        if (!floats_.empty()) Flush();
        ints_.push_back(value);
        return;
    }
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    Text(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

void TokenWriter::Float(float value) {
    if (!std::isfinite(value)) {
        finite_ = false;
        value = 0.0f;
    }
    if (binary_) {
        if (!ints_.empty()) Flush();
        floats_.push_back(value);
        return;
    }
    // The shortest fixed-point form that reads back as the same float, with a decimal point
    // so every reader takes it for a real number; independent of the locale.
    char buffer[80];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    Text(text);
    if (text.find('.') == std::string_view::npos) Text(".0");
}

void TokenWriter::String(std::string_view value) {
    Flush();
    if (binary_) {
        Token(kString);
        Word32(static_cast<std::uint32_t>(value.size()));
        Text(value);
        Token(kSemicolon);
    } else {
        Text("\"");
        Text(value);
        Text("\"");
    }
}

void TokenWriter::Sep(char separator) {
    if (!binary_) out_.push_back(static_cast<std::uint8_t>(separator));
}

void TokenWriter::Line() {
    if (binary_) return;
    out_.push_back('\n');
    out_.insert(out_.end(), static_cast<std::size_t>(depth_), ' ');
}

void TokenWriter::Flush() {
    if (!ints_.empty()) {
        Token(kIntegerList);
        Word32(static_cast<std::uint32_t>(ints_.size()));
        for (std::uint32_t v : ints_) Word32(v);
        ints_.clear();
    }
    if (!floats_.empty()) {
        Token(kFloatList);
        Word32(static_cast<std::uint32_t>(floats_.size()));
        for (float f : floats_) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            Word32(bits);
        }
        floats_.clear();
    }
}

std::vector<std::uint8_t> TokenWriter::Take() {
    Flush();
    return std::move(out_);
}

}  // namespace assets::xwrite
