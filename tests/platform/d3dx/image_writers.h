// Small image files built byte by byte at test time, and helpers to read decoded pixels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/d3dx/image_data.h"

namespace imagetest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// Targa: header, optional colour map (entries already encoded) and the pixel bytes as given
// (raw or run-length packets).
struct Tga {
    std::uint8_t type = 2;
    std::uint16_t width = 1, height = 1;
    std::uint8_t bits = 24;
    std::uint8_t descriptor = 0;  // alpha bits, 0x10 right-to-left, 0x20 top-left origin
    std::uint16_t mapFirst = 0, mapLength = 0;
    std::uint8_t mapBits = 0;
    Bytes map, pixels, id;

    Bytes Build() const {
        Bytes b;
        b.push_back(static_cast<std::uint8_t>(id.size()));
        b.push_back(mapLength ? 1 : 0);
        b.push_back(type);
        Put16(b, mapFirst);
        Put16(b, mapLength);
        b.push_back(mapBits);
        Put16(b, 0);
        Put16(b, 0);
        Put16(b, width);
        Put16(b, height);
        b.push_back(bits);
        b.push_back(descriptor);
        Append(b, id);
        Append(b, map);
        Append(b, pixels);
        return b;
    }
};

// BMP: rows given top row first, unpadded; Build pads each to 4 bytes and orders them
// bottom-up unless topDown.
struct Bmp {
    std::int32_t width = 1;
    std::uint32_t rows = 1;
    bool topDown = false;
    std::uint16_t bits = 24;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<Bytes> pixelRows;

    Bytes Build() const {
        Bytes info;
        Put32(info, 40);
        Put32(info, static_cast<std::uint32_t>(width));
        Put32(info, topDown ? static_cast<std::uint32_t>(-static_cast<std::int32_t>(rows)) : rows);
        Put16(info, 1);
        Put16(info, bits);
        for (std::uint32_t v : {0u, 0u, 2835u, 2835u, static_cast<std::uint32_t>(palette.size()), 0u}) Put32(info, v);
        for (std::uint32_t c : palette) Put32(info, c);
        Bytes data;
        for (std::size_t i = 0; i < pixelRows.size(); ++i) {
            Bytes row = pixelRows[topDown ? i : pixelRows.size() - 1 - i];
            while (row.size() % 4) row.push_back(0xEE);  // padding that must not be read as pixels
            Append(data, row);
        }
        Bytes b = {'B', 'M'};
        Put32(b, static_cast<std::uint32_t>(14 + info.size() + data.size()));
        Put32(b, 0);
        Put32(b, static_cast<std::uint32_t>(14 + info.size()));
        Append(b, info);
        Append(b, data);
        return b;
    }
};

// DDS: header with a pixel format, then the data of every level as given.
struct Dds {
    std::uint32_t width = 4, height = 4, mipCount = 1;
    std::uint32_t pfFlags = 0x40, fourCc = 0, bitCount = 32;
    std::uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0};
    Bytes data;

    Bytes Build() const {
        Bytes b = {'D', 'D', 'S', ' '};
        Put32(b, 124);
        Put32(b, 0x1007 | (mipCount > 1 ? 0x20000 : 0));
        Put32(b, height);
        Put32(b, width);
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, mipCount);
        for (int i = 0; i < 11; ++i) Put32(b, 0);
        Put32(b, 32);
        Put32(b, pfFlags);
        Put32(b, fourCc);
        Put32(b, bitCount);
        for (std::uint32_t m : masks) Put32(b, m);
        Put32(b, 0x1000 | (mipCount > 1 ? 0x400008 : 0));
        for (int i = 0; i < 4; ++i) Put32(b, 0);
        Append(b, data);
        return b;
    }
};

inline constexpr std::uint32_t FourCc(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b) << 8 | static_cast<std::uint32_t>(c) << 16 |
           static_cast<std::uint32_t>(d) << 24;
}

// Pixels of level 0, top row first.
inline std::vector<std::uint32_t> Pixels(const d3dx::DecodedImage& image) {
    return image.levels.empty() ? std::vector<std::uint32_t>{} : image.levels[0].pixels;
}

inline std::string Hex(std::uint32_t v) {
    char text[12];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

}  // namespace imagetest
