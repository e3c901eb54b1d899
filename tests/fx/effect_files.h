// Picture files for effect tests: a temporary folder removed at the end, and Targa images
// written into it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace effecttest {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orrery-effects-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
        EXPECT_FALSE(path_.empty()) << "no temporary folder";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // A 32-bit top-left-origin Targa of width x height named `name` in the folder; pixel(x, y)
    // gives 0xAARRGGBB. Returns its path.
    std::string WriteTarga(const std::string& name, int width, int height,
                           const std::function<std::uint32_t(int, int)>& pixel) const {
        const std::string path = path_ + "/" + name;
        std::vector<unsigned char> bytes(18, 0);
        bytes[2] = 2;  // true colour, uncompressed
        bytes[12] = static_cast<unsigned char>(width & 0xFF);
        bytes[13] = static_cast<unsigned char>(width >> 8);
        bytes[14] = static_cast<unsigned char>(height & 0xFF);
        bytes[15] = static_cast<unsigned char>(height >> 8);
        bytes[16] = 32;
        bytes[17] = 0x28;  // 8 alpha bits, top-left origin
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = pixel(x, y);
                for (int shift : {0, 8, 16, 24}) bytes.push_back(static_cast<unsigned char>(p >> shift));
            }
        }
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr) << path;
        if (file) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
        return path;
    }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace effecttest
