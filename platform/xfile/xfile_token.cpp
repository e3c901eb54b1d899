#include "platform/xfile/xfile_token.h"

namespace xfile {

std::size_t PrimitiveSize(Primitive type) {
    switch (type) {
        case Primitive::Word:
        case Primitive::Sword: return 2;
        case Primitive::Dword:
        case Primitive::Sdword:
        case Primitive::Float: return 4;
        case Primitive::Double:
        case Primitive::Ulonglong: return 8;
        case Primitive::Char:
        case Primitive::Uchar:
        case Primitive::Byte: return 1;
        case Primitive::String:
        case Primitive::Lpstr:
        case Primitive::Cstring:
        case Primitive::Unicode: return sizeof(char*);
        case Primitive::None: break;
    }
    return 0;
}

bool IsIntegerType(Primitive type) {
    switch (type) {
        case Primitive::Word:
        case Primitive::Dword:
        case Primitive::Char:
        case Primitive::Uchar:
        case Primitive::Byte:
        case Primitive::Sword:
        case Primitive::Sdword:
        case Primitive::Ulonglong: return true;
        default: return false;
    }
}

Primitive PrimitiveFromKeyword(std::string_view word) {
    struct Entry {
        std::string_view word;
        Primitive type;
    };
    static constexpr Entry kEntries[] = {
        {"WORD", Primitive::Word},       {"DWORD", Primitive::Dword},     {"FLOAT", Primitive::Float},
        {"DOUBLE", Primitive::Double},   {"CHAR", Primitive::Char},       {"UCHAR", Primitive::Uchar},
        {"BYTE", Primitive::Byte},       {"SWORD", Primitive::Sword},     {"SDWORD", Primitive::Sdword},
        {"ULONGLONG", Primitive::Ulonglong}, {"STRING", Primitive::String}, {"LPSTR", Primitive::Lpstr},
        {"CSTRING", Primitive::Cstring}, {"UNICODE", Primitive::Unicode},
    };
    for (const Entry& e : kEntries)
        if (e.word == word) return e.type;
    return Primitive::None;
}

}  // namespace xfile
