// One token of look-ahead over a lexer, and the single failure message of a parse.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_diagnostics.h"
#include "platform/xfile/xfile_lexer.h"
#include "platform/xfile/xfile_token.h"

namespace xfile {

template <XFileLexer Lexer>
class TokenReader {
public:
    TokenReader(Lexer lexer, std::string_view file, SourcePosition position)
        : lexer_(lexer), file_(file), position_(position) {
        lexer_.Next(current_);
    }

    const Token& Peek() const { return current_; }
    Token Take() {
        Token t = current_;
        lexer_.Next(current_);
        return t;
    }
    void Skip() { lexer_.Next(current_); }
    bool Accept(TokenKind kind) {
        if (current_.kind != kind) return false;
        Skip();
        return true;
    }
    // Commas and semicolons: exporters write them inconsistently, so values skip them all.
    void SkipSeparators() {
        while (current_.kind == TokenKind::Comma || current_.kind == TokenKind::Semicolon) Skip();
    }
    // Binary lists: the current value and up to `max` - 1 more of the same list are written
    // to `out` as `type` (4 bytes each) without a token apiece. Returns how many, or 0 when
    // the list's values do not have the member's representation.
    std::size_t TakeRun(Primitive type, std::size_t max, unsigned char* out) {
        if (max < 2 || lexer_.ListLeft() == 0) return 0;
        if (type == Primitive::Float ? current_.kind != TokenKind::Float : current_.kind != TokenKind::Integer) return 0;
        std::size_t n = lexer_.TakeListRun(type, max - 1, out + 4);
        if (n == 0) return 0;  // nothing taken: the current value stays for the one-by-one path
        // The list holds the member's own representation, so the current value converts exactly.
        if (type == Primitive::Float) {
            auto f = static_cast<float>(current_.number);
            std::memcpy(out, &f, 4);
        } else {
            auto d = static_cast<std::uint32_t>(current_.integer);
            std::memcpy(out, &d, 4);
        }
        Skip();
        return n + 1;
    }
    std::size_t ListLeft() const { return lexer_.ListLeft(); }
    // Inside template declarations separators are tokens; elsewhere the text lexer skips them.
    // Takes effect from the token after the current one.
    void SetTemplateMode(bool on) { lexer_.SetSeparatorsAsSpace(!on); }
    // The current integer and the rest of its binary list as raw words (0 when not in one).
    std::size_t RawIntegerRun(const unsigned char** words) const {
        if (current_.kind != TokenKind::Integer) return 0;
        return lexer_.RawIntegerRun(words);
    }
    // Consumes `n` (at least 1) words of that run.
    void ConsumeRaw(std::size_t n) {
        lexer_.SkipListValues(n - 1);
        Skip();
    }
    // Upper bound of the values left, the current token included.
    std::size_t ValueCapacity() const { return lexer_.ValueCapacity() + 1; }
    std::size_t Offset() const { return current_.offset; }

    // Reports the first failure of the parse (a lexer fault takes precedence as the cause).
    HRESULT Fail(HRESULT code, const Token& at, std::string_view cause) {
        if (failed_) return code;
        failed_ = true;
        if (at.kind == TokenKind::Error) return ReportFailure(DXFILEERR_PARSEERROR, file_, position_.Describe(at.offset), at.text);
        return ReportFailure(code, file_, position_.Describe(at.offset), cause);
    }
    HRESULT Fail(HRESULT code, std::string_view cause) { return Fail(code, current_, cause); }
    HRESULT Unexpected(std::string_view expected) {
        if (current_.kind == TokenKind::End) return Fail(DXFILEERR_PARSEERROR, "unexpected end of file, expected " + std::string(expected));
        return Fail(DXFILEERR_PARSEERROR, "expected " + std::string(expected));
    }

private:
    Lexer lexer_;
    std::string_view file_;
    SourcePosition position_;
    Token current_;
    bool failed_ = false;
};

}  // namespace xfile
