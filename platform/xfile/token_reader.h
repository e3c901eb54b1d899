// One token of look-ahead over a lexer, and the single failure message of a parse.
#pragma once

#include <string>
#include <string_view>

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_diagnostics.h"
#include "platform/xfile/xfile_token.h"

namespace xfile {

template <class Lexer>
class TokenReader {
public:
    TokenReader(Lexer lexer, std::string_view file, SourcePosition position)
        : lexer_(lexer), file_(file), position_(position) {
        current_ = lexer_.Next();
    }

    const Token& Peek() const { return current_; }
    Token Take() {
        Token t = current_;
        current_ = lexer_.Next();
        return t;
    }
    void Skip() { current_ = lexer_.Next(); }
    bool Accept(TokenKind kind) {
        if (current_.kind != kind) return false;
        Skip();
        return true;
    }
    // Commas and semicolons: exporters write them inconsistently, so values skip them all.
    void SkipSeparators() {
        while (current_.kind == TokenKind::Comma || current_.kind == TokenKind::Semicolon) Skip();
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
