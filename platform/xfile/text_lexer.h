// Lexer of the text encoding: punctuation, names, numbers, quoted strings and <GUID>s,
// with // and # comments skipped.
#pragma once

#include <charconv>
#include <cstddef>
#include <string_view>

#include "platform/xfile/xfile_token.h"

namespace xfile {

bool ParseGuidText(std::string_view text, GUID* guid);

class TextLexer {
public:
    // `bytes` must be followed by at least one readable byte (the reader pads with a NUL).
    explicit TextLexer(std::string_view bytes) : begin_(bytes.data()), p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    // Writes the next token into `t`.
    void Next(Token& t) { t = Next(); }
    Token Next();
    std::size_t Offset() const { return static_cast<std::size_t>(p_ - begin_); }
    std::size_t TakeListRun(Primitive, std::size_t, unsigned char*) { return 0; }
    std::size_t ListLeft() const { return 0; }
    std::size_t RawIntegerRun(const unsigned char**) const { return 0; }
    void SkipListValues(std::size_t) {}
    // Upper bound of the values still readable: every value takes at least one byte.
    std::size_t ValueCapacity() const { return static_cast<std::size_t>(end_ - p_); }
    static constexpr bool kBinary = false;

private:
    static bool IsDelimiter(unsigned char c) {
        return c <= ' ' || c == '{' || c == '}' || c == '(' || c == ')' || c == '[' || c == ']' || c == ',' ||
               c == ';' || c == '<' || c == '>' || c == '"' || c == '#';
    }
    void SkipSpace();
    Token Word(Token t);
    Token Error(std::size_t offset, std::string_view cause) {
        Token t;
        t.kind = TokenKind::Error;
        t.text = cause;
        t.offset = offset;
        p_ = end_;
        return t;
    }

    const char* begin_;
    const char* p_;
    const char* end_;
};

inline void TextLexer::SkipSpace() {
    while (p_ < end_) {
        unsigned char c = static_cast<unsigned char>(*p_);
        if (c <= ' ') {
            ++p_;
        } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
            while (p_ < end_ && *p_ != '\n') ++p_;
        } else {
            return;
        }
    }
}

inline Token TextLexer::Next() {
    SkipSpace();
    Token t;
    t.offset = Offset();
    if (p_ >= end_) return t;
    switch (*p_) {
        case '{': t.kind = TokenKind::OBrace; ++p_; return t;
        case '}': t.kind = TokenKind::CBrace; ++p_; return t;
        case '(': t.kind = TokenKind::OParen; ++p_; return t;
        case ')': t.kind = TokenKind::CParen; ++p_; return t;
        case '[': t.kind = TokenKind::OBracket; ++p_; return t;
        case ']': t.kind = TokenKind::CBracket; ++p_; return t;
        case ',': t.kind = TokenKind::Comma; ++p_; return t;
        case ';': t.kind = TokenKind::Semicolon; ++p_; return t;
        case '>': t.kind = TokenKind::CAngle; ++p_; return t;
        case '<': {
            const char* close = p_ + 1;
            while (close < end_ && *close != '>' && close - p_ < 64) ++close;
            if (close >= end_ || *close != '>') return Error(t.offset, "unterminated GUID");
            if (!ParseGuidText(std::string_view(p_ + 1, static_cast<std::size_t>(close - p_ - 1)), &t.guid))
                return Error(t.offset, "malformed GUID");
            t.kind = TokenKind::Guid;
            p_ = close + 1;
            return t;
        }
        case '"': {
            const char* start = p_ + 1;
            const char* close = start;
            while (close < end_ && *close != '"') ++close;
            if (close >= end_) return Error(t.offset, "unterminated string");
            t.kind = TokenKind::String;
            t.text = std::string_view(start, static_cast<std::size_t>(close - start));
            p_ = close + 1;
            return t;
        }
        default: return Word(t);
    }
}

inline Token TextLexer::Word(Token t) {
    const char* start = p_;
    while (p_ < end_ && !IsDelimiter(static_cast<unsigned char>(*p_)) && !(*p_ == '/' && p_ + 1 < end_ && p_[1] == '/'))
        ++p_;
    std::string_view word(start, static_cast<std::size_t>(p_ - start));
    if (word.size() > kMaxNameLength) return Error(t.offset, "name too long");
    char c = word[0];
    if (c == '.' && word.find_first_not_of('.') == std::string_view::npos) {
        p_ = start + 1;
        t.kind = TokenKind::Dot;
        return t;
    }
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
        const char* first = start + (c == '+' ? 1 : 0);
        bool integral = true;
        for (char ch : word)
            if (ch == '.' || ch == 'e' || ch == 'E') {
                integral = false;
                break;
            }
        if (integral) {
            auto [ptr, ec] = std::from_chars(first, p_, t.integer);
            if (ec == std::errc() && ptr == p_) {
                t.kind = TokenKind::Integer;
                return t;
            }
        }
        auto [ptr, ec] = std::from_chars(first, p_, t.number);
        if (ec == std::errc() && ptr == p_) {
            t.kind = TokenKind::Float;
            return t;
        }
    }
    t.text = word;
    if (word == "template")
        t.kind = TokenKind::Template;
    else if (word == "array")
        t.kind = TokenKind::Array;
    else
        t.kind = TokenKind::Name;
    return t;
}

}  // namespace xfile
