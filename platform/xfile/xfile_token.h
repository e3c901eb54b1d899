// Tokens shared by the text and binary lexers of the X file reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/com/win_types.h"

namespace xfile {

// Member types a template may declare.
enum class Primitive : std::uint8_t {
    None,
    Word,
    Dword,
    Float,
    Double,
    Char,
    Uchar,
    Byte,
    Sword,
    Sdword,
    Ulonglong,
    String,
    Lpstr,
    Cstring,
    Unicode,
};

// Bytes one value of the primitive takes in an object's data.
std::size_t PrimitiveSize(Primitive type);
inline bool IsStringType(Primitive type) {
    return type == Primitive::String || type == Primitive::Lpstr || type == Primitive::Cstring ||
           type == Primitive::Unicode;
}
bool IsIntegerType(Primitive type);
// The primitive named by a text keyword ("DWORD", "FLOAT", ...), or None.
Primitive PrimitiveFromKeyword(std::string_view word);

enum class TokenKind : std::uint8_t {
    End,
    Error,
    Name,
    String,
    Integer,
    Float,
    Guid,
    OBrace,
    CBrace,
    OParen,
    CParen,
    OBracket,
    CBracket,
    OAngle,
    CAngle,
    Dot,
    Comma,
    Semicolon,
    Template,
    Array,
    Primitive,
};

struct Token {
    TokenKind kind = TokenKind::End;
    Primitive primitive = Primitive::None;
    // Name and String: the characters (inside the source buffer); Error: the cause.
    std::string_view text;
    std::int64_t integer = 0;
    double number = 0.0;
    GUID guid{};
    // Byte offset of the token in the source buffer.
    std::size_t offset = 0;
};

// Names longer than this are refused as garbage.
constexpr std::size_t kMaxNameLength = 64 * 1024;

}  // namespace xfile
