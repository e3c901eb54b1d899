// Lexer of the text encoding: punctuation, names, numbers, quoted strings and <GUID>s,
// with // and # comments skipped.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/com/decimal.h"
#include "platform/xfile/xfile_lexer.h"
#include "platform/xfile/xfile_token.h"

namespace xfile {

bool ParseGuidText(std::string_view text, GUID* guid);

// Bytes that end a word: white space, punctuation, quotes and comment starts.
struct TextDelimiters {
    bool table[256] = {};
    constexpr TextDelimiters() {
        for (int c = 0; c <= ' '; ++c) table[c] = true;
        for (char c : std::string_view("{}()[],;<>\"#")) table[static_cast<unsigned char>(c)] = true;
    }
};
inline constexpr TextDelimiters kTextDelimiters{};

class TextLexer {
public:
    // `bytes` must be followed by at least one readable byte (the reader pads with a NUL).
    explicit TextLexer(std::string_view bytes) : begin_(bytes.data()), p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    // Writes the next token into `t` (only the fields its kind uses).
    void Next(Token& t);
    std::size_t Offset() const { return static_cast<std::size_t>(p_ - begin_); }
    // Number lists are a binary encoding's form: text writes every value as its own token, so
    // there is never a list to take from, skip in or look at.
    std::size_t TakeListRun([[maybe_unused]] Primitive type, [[maybe_unused]] std::size_t max,
                            [[maybe_unused]] unsigned char* out) {
        return 0;
    }
    std::size_t ListLeft() const { return 0; }
    std::size_t RawIntegerRun([[maybe_unused]] const unsigned char** words) const { return 0; }
    void SkipListValues([[maybe_unused]] std::size_t count) {}
    // Template declarations need their separators (a ';' ends a member before a restriction).
    void SetSeparatorsAsSpace(bool on) { separatorsAsSpace_ = on; }
    // Upper bound of the values still readable: every value takes at least one byte.
    std::size_t ValueCapacity() const { return static_cast<std::size_t>(end_ - p_); }

private:
    static bool IsDelimiter(unsigned char c) { return kTextDelimiters.table[c]; }
    bool WordEnds(const char* p) const {
        return p >= end_ || IsDelimiter(static_cast<unsigned char>(*p)) || (*p == '/' && p + 1 < end_ && p[1] == '/');
    }
    void SkipSpace();
    bool FastNumber(Token& t);
    void Word(Token& t);
    void Error(Token& t, std::string_view cause) {
        t.kind = TokenKind::Error;
        t.text = cause;
        p_ = end_;
    }

    const char* begin_;
    const char* p_;
    const char* end_;
    bool separatorsAsSpace_ = true;
};
static_assert(XFileLexer<TextLexer>);

// Commas and semicolons separate values, but exporters disagree on how many they write and
// no data depends on them: outside template declarations they are skipped like white space.
inline void TextLexer::SkipSpace() {
    while (p_ < end_) {
        unsigned char c = static_cast<unsigned char>(*p_);
        if (c <= ' ' || (separatorsAsSpace_ && (c == ',' || c == ';'))) {
            ++p_;
        } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
            while (p_ < end_ && *p_ != '\n') ++p_;
        } else {
            return;
        }
    }
}

// The common forms "-12", "3.25", "0.000000" in one pass; false leaves the word to Word().
inline bool TextLexer::FastNumber(Token& t) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = p_;
    bool negative = *p == '-';
    if (negative) ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;
    while (p < end_ && static_cast<unsigned>(*p - '0') < 10) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++p;
        ++digits;
    }
    int fraction = 0;
    bool point = p < end_ && *p == '.';
    if (point) {
        ++p;
        while (p < end_ && static_cast<unsigned>(*p - '0') < 10) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++p;
            ++fraction;
        }
    }
    digits += fraction;
    // Exponents, long mantissas and anything glued to the number take the careful path.
    if (digits == 0 || digits > 18 || fraction > 22 || !WordEnds(p)) return false;
    if (!point) {
        t.kind = TokenKind::Integer;
        t.integer = negative ? -static_cast<std::int64_t>(mantissa) : static_cast<std::int64_t>(mantissa);
    } else {
        // Both operands are exact doubles (mantissa < 2^60 is exact only below 2^53).
        if (mantissa >= (std::uint64_t(1) << 53)) return false;
        double value = static_cast<double>(mantissa) / kPowers[fraction];
        t.kind = TokenKind::Float;
        t.number = negative ? -value : value;
    }
    p_ = p;
    return true;
}

inline void TextLexer::Next(Token& t) {
    SkipSpace();
    t.offset = Offset();
    if (p_ >= end_) {
        t.kind = TokenKind::End;
        return;
    }
    char c = *p_;
    if ((c >= '0' && c <= '9') || c == '-') {
        if (FastNumber(t)) return;
        Word(t);
        return;
    }
    switch (c) {
        case '{': t.kind = TokenKind::OBrace; ++p_; return;
        case '}': t.kind = TokenKind::CBrace; ++p_; return;
        case '(': t.kind = TokenKind::OParen; ++p_; return;
        case ')': t.kind = TokenKind::CParen; ++p_; return;
        case '[': t.kind = TokenKind::OBracket; ++p_; return;
        case ']': t.kind = TokenKind::CBracket; ++p_; return;
        case '>': t.kind = TokenKind::CAngle; ++p_; return;
        case ',': t.kind = TokenKind::Comma; ++p_; return;
        case ';': t.kind = TokenKind::Semicolon; ++p_; return;
        case '<': {
            const char* close = p_ + 1;
            while (close < end_ && *close != '>' && close - p_ < 64) ++close;
            if (close >= end_ || *close != '>') return Error(t, "unterminated GUID");
            if (!ParseGuidText(std::string_view(p_ + 1, static_cast<std::size_t>(close - p_ - 1)), &t.guid))
                return Error(t, "malformed GUID");
            t.kind = TokenKind::Guid;
            p_ = close + 1;
            return;
        }
        case '"': {
            const char* start = p_ + 1;
            const char* close = start;
            while (close < end_ && *close != '"') ++close;
            if (close >= end_) return Error(t, "unterminated string");
            t.kind = TokenKind::String;
            t.text = std::string_view(start, static_cast<std::size_t>(close - start));
            p_ = close + 1;
            return;
        }
        default: Word(t); return;
    }
}

inline void TextLexer::Word(Token& t) {
    const char* start = p_;
    while (!WordEnds(p_)) ++p_;
    std::string_view word(start, static_cast<std::size_t>(p_ - start));
    if (word.size() > kMaxNameLength) return Error(t, "name too long");
    char c = word[0];
    if (c == '.' && word.find_first_not_of('.') == std::string_view::npos) {
        p_ = start + 1;
        t.kind = TokenKind::Dot;
        return;
    }
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
        const char* first = start + (c == '+' ? 1 : 0);
        bool integral = word.find_first_of(".eE") == std::string_view::npos;
        if (integral) {
            auto [ptr, ec] = std::from_chars(first, p_, t.integer);
            if (ec == std::errc() && ptr == p_) {
                t.kind = TokenKind::Integer;
                return;
            }
        }
        if (com::ParseDecimalDouble(first, p_, t.number)) {
            t.kind = TokenKind::Float;
            return;
        }
    }
    t.text = word;
    if (word == "template")
        t.kind = TokenKind::Template;
    else if (word == "array")
        t.kind = TokenKind::Array;
    else
        t.kind = TokenKind::Name;
}

}  // namespace xfile
