// Builds X files in the binary encoding for tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/win_types.h"

namespace xfile_test {

class BinaryWriter {
public:
    enum Code : std::uint16_t {
        kName = 1, kString = 2, kInteger = 3, kGuid = 5, kIntegerList = 6, kFloatList = 7,
        kOBrace = 10, kCBrace = 11, kOBracket = 14, kCBracket = 15, kDot = 18, kComma = 19,
        kSemicolon = 20, kTemplate = 31, kWord = 40, kDword = 41, kFloat = 42, kDouble = 43,
        kLpstr = 49, kArray = 52,
    };

    explicit BinaryWriter(bool doubles = false) : doubles_(doubles) {
        bytes_ = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
    }
    BinaryWriter& Token(std::uint16_t code) { return Raw(&code, 2); }
    BinaryWriter& Name(const std::string& name) {
        Token(kName);
        Word32(static_cast<std::uint32_t>(name.size()));
        return Raw(name.data(), name.size());
    }
    BinaryWriter& String(const std::string& text, std::uint16_t terminator = kSemicolon) {
        Token(kString);
        Word32(static_cast<std::uint32_t>(text.size()));
        Raw(text.data(), text.size());
        return Token(terminator);
    }
    BinaryWriter& Integer(std::uint32_t value) {
        Token(kInteger);
        return Word32(value);
    }
    BinaryWriter& Guid(const GUID& g) {
        Token(kGuid);
        Word32(g.Data1);
        Raw(&g.Data2, 2);
        Raw(&g.Data3, 2);
        return Raw(g.Data4, 8);
    }
    BinaryWriter& Integers(const std::vector<std::uint32_t>& values) {
        Token(kIntegerList);
        Word32(static_cast<std::uint32_t>(values.size()));
        for (std::uint32_t v : values) Word32(v);
        return *this;
    }
    BinaryWriter& Floats(const std::vector<double>& values) {
        Token(kFloatList);
        Word32(static_cast<std::uint32_t>(values.size()));
        for (double v : values) {
            if (doubles_) {
                Raw(&v, 8);
            } else {
                float f = static_cast<float>(v);
                Raw(&f, 4);
            }
        }
        return *this;
    }
    BinaryWriter& Word32(std::uint32_t v) { return Raw(&v, 4); }
    BinaryWriter& Raw(const void* data, std::size_t size) {
        bytes_.append(static_cast<const char*>(data), size);
        return *this;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    bool doubles_;
    std::string bytes_;
};

}  // namespace xfile_test
