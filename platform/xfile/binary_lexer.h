// Lexer of the binary encoding: 16-bit token codes with inline payloads. Integer and float
// lists are handed out one value at a time as Integer and Float tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/xfile/xfile_lexer.h"
#include "platform/xfile/xfile_token.h"

namespace xfile {

class BinaryLexer {
public:
    BinaryLexer(std::string_view bytes, bool doubles)
        : begin_(reinterpret_cast<const unsigned char*>(bytes.data())),
          p_(begin_),
          end_(begin_ + bytes.size()),
          doubles_(doubles) {}

    // Writes the next token into `t` (only the fields its kind uses).
    void Next(Token& t) {
        t.offset = Offset();
        if (listLeft_ > 0) {
            ListValue(t);
            return;
        }
        NextToken(t);
    }
    std::size_t Offset() const { return static_cast<std::size_t>(p_ - begin_); }
    // Copies up to `max` values left in the current list straight into `out`, when the list
    // holds exactly the member's representation (DWORDs, or FLOATs of a 32-bit file).
    std::size_t TakeListRun(Primitive type, std::size_t max, unsigned char* out) {
        bool same = listFloats_ ? (type == Primitive::Float && !doubles_) : (type == Primitive::Dword || type == Primitive::Sdword);
        if (!same) return 0;
        std::size_t n = listLeft_ < max ? listLeft_ : max;
        std::memcpy(out, p_, n * 4);
        p_ += n * 4;
        listLeft_ -= n;
        return n;
    }
    std::size_t ListLeft() const { return listLeft_; }
    // Binary separators are always tokens of their own and never stand in for white space, so
    // there is nothing to switch for template declarations.
    void SetSeparatorsAsSpace([[maybe_unused]] bool on) {}
    // The last value handed out and the rest of its integer list, as raw 32-bit words.
    std::size_t RawIntegerRun(const unsigned char** words) const {
        if (!lastFromList_ || listFloats_) return 0;
        *words = p_ - 4;
        return listLeft_ + 1;
    }
    // Skips `n` values of the current list (no more than are left).
    void SkipListValues(std::size_t n) {
        p_ += n * 4;
        listLeft_ -= n;
    }
    // Upper bound of the values still readable: list values left plus 4 bytes a value after.
    std::size_t ValueCapacity() const { return listLeft_ + static_cast<std::size_t>(end_ - p_) / 4 + 1; }

private:
    enum Code : std::uint16_t {
        kName = 1,
        kString = 2,
        kInteger = 3,
        kGuid = 5,
        kIntegerList = 6,
        kFloatList = 7,
        kOBrace = 10,
        kCBrace = 11,
        kOParen = 12,
        kCParen = 13,
        kOBracket = 14,
        kCBracket = 15,
        kOAngle = 16,
        kCAngle = 17,
        kDot = 18,
        kComma = 19,
        kSemicolon = 20,
        kTemplate = 31,
        kWord = 40,
        kDword = 41,
        kFloat = 42,
        kDouble = 43,
        kChar = 44,
        kUchar = 45,
        kSword = 46,
        kSdword = 47,
        kVoid = 48,
        kLpstr = 49,
        kUnicode = 50,
        kCstring = 51,
        kArray = 52,
    };

    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }
    std::uint16_t Read16() {
        std::uint16_t v;
        std::memcpy(&v, p_, 2);
        p_ += 2;
        return v;
    }
    std::uint32_t Read32() {
        std::uint32_t v;
        std::memcpy(&v, p_, 4);
        p_ += 4;
        return v;
    }
    void ListValue(Token& t);
    void NextToken(Token& t);
    // Writes one token into `t`; false for an empty list (nothing to hand out).
    bool Single(Token& t);
    bool Error(Token& t, std::string_view cause) {
        t.kind = TokenKind::Error;
        t.text = cause;
        p_ = end_;
        listLeft_ = 0;
        return true;
    }

    const unsigned char* begin_;
    const unsigned char* p_;
    const unsigned char* end_;
    bool doubles_;
    std::size_t listLeft_ = 0;
    bool listFloats_ = false;
    bool lastFromList_ = false;
};
static_assert(XFileLexer<BinaryLexer>);

inline void BinaryLexer::ListValue(Token& t) {
    --listLeft_;
    lastFromList_ = true;
    if (!listFloats_) {
        t.kind = TokenKind::Integer;
        t.integer = Read32();
    } else if (doubles_) {
        t.kind = TokenKind::Float;
        std::memcpy(&t.number, p_, 8);
        p_ += 8;
    } else {
        float f;
        std::memcpy(&f, p_, 4);
        p_ += 4;
        t.kind = TokenKind::Float;
        t.number = f;
    }
}

inline void BinaryLexer::NextToken(Token& t) {
    // An empty list yields no value: read on.
    while (!Single(t)) {
    }
}

inline bool BinaryLexer::Single(Token& t) {
    t.offset = Offset();
    lastFromList_ = false;
    if (p_ == end_) {
        t.kind = TokenKind::End;
        return true;
    }
    if (Left() < 2) return Error(t, "truncated token");
    std::uint16_t code = Read16();
    switch (code) {
        case kName:
        case kString: {
            if (Left() < 4) return Error(t, "truncated name length");
            std::uint32_t length = Read32();
            if (length > Left()) return Error(t, "name or string longer than the file");
            if (code == kName && length > kMaxNameLength) return Error(t, "name too long");
            t.kind = code == kName ? TokenKind::Name : TokenKind::String;
            t.text = std::string_view(reinterpret_cast<const char*>(p_), length);
            p_ += length;
            return true;
        }
        case kInteger:
            if (Left() < 4) return Error(t, "truncated integer");
            t.kind = TokenKind::Integer;
            t.integer = Read32();
            return true;
        case kGuid:
            if (Left() < 16) return Error(t, "truncated GUID");
            t.kind = TokenKind::Guid;
            t.guid.Data1 = Read32();
            t.guid.Data2 = Read16();
            t.guid.Data3 = Read16();
            std::memcpy(t.guid.Data4, p_, 8);
            p_ += 8;
            return true;
        case kIntegerList:
        case kFloatList: {
            if (Left() < 4) return Error(t, "truncated list count");
            std::uint32_t count = Read32();
            std::size_t width = (code == kFloatList && doubles_) ? 8 : 4;
            if (count > Left() / width) return Error(t, "list longer than the file");
            listFloats_ = code == kFloatList;
            listLeft_ = count;
            if (count == 0) return false;
            ListValue(t);
            return true;
        }
        case kOBrace: t.kind = TokenKind::OBrace; return true;
        case kCBrace: t.kind = TokenKind::CBrace; return true;
        case kOParen: t.kind = TokenKind::OParen; return true;
        case kCParen: t.kind = TokenKind::CParen; return true;
        case kOBracket: t.kind = TokenKind::OBracket; return true;
        case kCBracket: t.kind = TokenKind::CBracket; return true;
        case kOAngle: t.kind = TokenKind::OAngle; return true;
        case kCAngle: t.kind = TokenKind::CAngle; return true;
        case kDot: t.kind = TokenKind::Dot; return true;
        case kComma: t.kind = TokenKind::Comma; return true;
        case kSemicolon: t.kind = TokenKind::Semicolon; return true;
        case kTemplate: t.kind = TokenKind::Template; return true;
        case kArray: t.kind = TokenKind::Array; return true;
        case kWord: t.kind = TokenKind::Primitive; t.primitive = Primitive::Word; return true;
        case kDword: t.kind = TokenKind::Primitive; t.primitive = Primitive::Dword; return true;
        case kFloat: t.kind = TokenKind::Primitive; t.primitive = Primitive::Float; return true;
        case kDouble: t.kind = TokenKind::Primitive; t.primitive = Primitive::Double; return true;
        case kChar: t.kind = TokenKind::Primitive; t.primitive = Primitive::Char; return true;
        case kUchar: t.kind = TokenKind::Primitive; t.primitive = Primitive::Uchar; return true;
        case kSword: t.kind = TokenKind::Primitive; t.primitive = Primitive::Sword; return true;
        case kSdword: t.kind = TokenKind::Primitive; t.primitive = Primitive::Sdword; return true;
        case kLpstr: t.kind = TokenKind::Primitive; t.primitive = Primitive::Lpstr; return true;
        case kUnicode: t.kind = TokenKind::Primitive; t.primitive = Primitive::Unicode; return true;
        case kCstring: t.kind = TokenKind::Primitive; t.primitive = Primitive::Cstring; return true;
        case kVoid: return Error(t, "VOID member type");
        default: return Error(t, "unknown binary token");
    }
}

}  // namespace xfile
