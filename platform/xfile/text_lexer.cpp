#include "platform/xfile/text_lexer.h"

namespace xfile {
namespace {

bool Hex(std::string_view text, std::size_t from, std::size_t digits, std::uint64_t* value) {
    if (from + digits > text.size()) return false;
    std::uint64_t v = 0;
    for (std::size_t i = from; i < from + digits; ++i) {
        char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<std::uint64_t>(d);
    }
    *value = v;
    return true;
}

}  // namespace

// 8-4-4-4-12 hexadecimal digits, optionally padded with spaces.
bool ParseGuidText(std::string_view text, GUID* guid) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;
    std::uint64_t a, b, c, d, e;
    if (!Hex(text, 0, 8, &a) || !Hex(text, 9, 4, &b) || !Hex(text, 14, 4, &c) || !Hex(text, 19, 4, &d) ||
        !Hex(text, 24, 12, &e))
        return false;
    guid->Data1 = static_cast<DWORD>(a);
    guid->Data2 = static_cast<WORD>(b);
    guid->Data3 = static_cast<WORD>(c);
    guid->Data4[0] = static_cast<BYTE>(d >> 8);
    guid->Data4[1] = static_cast<BYTE>(d);
    for (int i = 0; i < 6; ++i) guid->Data4[2 + i] = static_cast<BYTE>(e >> (40 - 8 * i));
    return true;
}

}  // namespace xfile
