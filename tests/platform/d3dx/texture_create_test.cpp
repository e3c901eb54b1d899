// Textures from image files through a headless device: level count, format, level contents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/d3dx/d3dx8tex.h"
#include "platform/gpu/texture_format.h"
#include "tests/platform/d3dx/image_writers.h"
#include "tests/platform/gpu/device_fixture.h"
#include "tests/platform/xfile/fifo_file.h"

namespace {

using imagetest::Bytes;
using Colours = std::vector<std::uint32_t>;

class TextureFromFile : public devicetest::DeviceTest {
protected:
    std::string Write(const std::string& leaf, const Bytes& bytes) {
        const std::string path = ::testing::TempDir() + "orrery_texture_" + leaf;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        written_.push_back(path);
        return path;
    }
    void TearDown() override {
        for (const std::string& path : written_) std::remove(path.c_str());
        DeviceTest::TearDown();
    }

    // The 32-bit texels of one level, top row first.
    static Colours Level32(IDirect3DTexture8* texture, UINT level) {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(level, &desc), S_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), S_OK);
        Colours out;
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
            out.insert(out.end(), row, row + desc.Width);
        }
        EXPECT_EQ(texture->UnlockRect(level), S_OK);
        return out;
    }
    static D3DFORMAT FormatOf(IDirect3DTexture8* texture) {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
        return desc.Format;
    }

    // A 4x2 Targa, 24 or 32 bits, top-left origin: colours c0..c7.
    static Bytes Targa(bool alpha, const Colours& colours) {
        imagetest::Tga tga;
        tga.width = 4;
        tga.height = 2;
        tga.bits = alpha ? 32 : 24;
        tga.descriptor = alpha ? 0x28 : 0x20;
        for (std::uint32_t c : colours) {
            tga.pixels.insert(tga.pixels.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
            if (alpha) tga.pixels.push_back(std::uint8_t(c >> 24));
        }
        return tga.Build();
    }

    std::vector<std::string> written_;
};

const Colours kEight{0xFF100000, 0xFF300000, 0xFF000010, 0xFF000030, 0xFF500000, 0xFF700000, 0xFF000050, 0xFF000070};

TEST_F(TextureFromFile, OpaqueFileGivesFullChainInX8R8G8B8) {
    const std::string path = Write("opaque.tga", Targa(false, kEight));
    ComPtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device_.Get(), path.c_str(), texture.Receive()), S_OK);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetLevelCount(), 3u);  // 4x2, 2x1, 1x1
    EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_X8R8G8B8);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(Level32(texture.Get(), 0), kEight);
    // Each 2x2 square averaged: red (0x10, 0x30, 0x50, 0x70) -> 0x40; blue likewise.
    EXPECT_EQ(Level32(texture.Get(), 1), (Colours{0xFF400000, 0xFF000040}));
    EXPECT_EQ(Level32(texture.Get(), 2), (Colours{0xFF200020}));
}

TEST_F(TextureFromFile, AlphaFileGivesA8R8G8B8AndInformation) {
    Colours colours = kEight;
    colours[1] = 0x00300000;
    colours[6] = 0x80000050;
    const std::string path = Write("alpha.tga", Targa(true, colours));
    ComPtr<IDirect3DTexture8> texture;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device_.Get(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                           D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
                                           nullptr, texture.Receive()),
              S_OK);
    EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_A8R8G8B8);
    EXPECT_EQ(Level32(texture.Get(), 0), colours);
    EXPECT_EQ(info.Width, 4u);
    EXPECT_EQ(info.Height, 2u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
}

TEST_F(TextureFromFile, ExplicitFormatSizeLevelsAndColourKey) {
    const std::string path = Write("explicit.tga", Targa(false, kEight));
    ComPtr<IDirect3DTexture8> texture;
    // Stretched to 2x1 (box), one level, 5:6:5.
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device_.Get(), path.c_str(), 2, 1, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED,
                                           D3DX_FILTER_BOX, D3DX_DEFAULT, 0, nullptr, nullptr, texture.Receive()),
              S_OK);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_R5G6B5);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    const auto* texels = static_cast<const std::uint16_t*>(locked.pBits);
    EXPECT_EQ(texels[0], 8 << 11);  // red 0x40 of 255 -> 8 of 31
    EXPECT_EQ(texels[1], 8);
    ASSERT_EQ(texture->UnlockRect(0), S_OK);

    // A key on an opaque image: matching pixels become transparent black, so alpha is needed.
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device_.Get(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                           D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                           0xFF300000, nullptr, nullptr, texture.Receive()),
              S_OK);
    EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_A8R8G8B8);
    Colours keyed = kEight;
    keyed[1] = 0;
    EXPECT_EQ(Level32(texture.Get(), 0), keyed);
    // A key that matches nothing keeps the image opaque.
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device_.Get(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                           D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0xFF123456,
                                           nullptr, nullptr, texture.Receive()),
              S_OK);
    EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_X8R8G8B8);
}

TEST_F(TextureFromFile, DdsBlocksAreKeptWithTheirLevels) {
    imagetest::Dds dds;
    dds.width = 8;
    dds.height = 4;
    dds.mipCount = 2;  // the file stops at 4x2; 2x1 and 1x1 are made here
    dds.pfFlags = 0x4;
    dds.fourCc = imagetest::FourCc('D', 'X', 'T', '1');
    for (int i = 0; i < 3; ++i) {
        imagetest::Put16(dds.data, 0xF800);  // red, blue; indices 0 and 1 alternate
        imagetest::Put16(dds.data, 0x001F);
        for (int k = 0; k < 4; ++k) dds.data.push_back(0x44);
    }
    ComPtr<IDirect3DTexture8> texture;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_.Get(), dds.Build().data(),
                                                  static_cast<UINT>(dds.Build().size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, &info, nullptr, texture.Receive()),
              S_OK);
    EXPECT_EQ(info.MipLevels, 2u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
    EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_DXT1);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(Bytes(static_cast<const BYTE*>(locked.pBits), static_cast<const BYTE*>(locked.pBits) + 16),
              Bytes(dds.data.begin(), dds.data.begin() + 16));
    ASSERT_EQ(texture->UnlockRect(0), S_OK);
    // The made levels hold the average of red and blue in every texel (of a valid block).
    ASSERT_EQ(texture->LockRect(3, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    std::vector<std::uint32_t> texel;
    gpu::DecodeDxt(D3DFMT_DXT1, static_cast<const BYTE*>(locked.pBits), 1, 1, texel);
    ASSERT_EQ(texture->UnlockRect(3), S_OK);
    EXPECT_NEAR(static_cast<int>((texel[0] >> 16) & 0xFF), 0x80, 12) << imagetest::Hex(texel[0]);
    EXPECT_NEAR(static_cast<int>(texel[0] & 0xFF), 0x80, 12) << imagetest::Hex(texel[0]);

    // Asked for 32 bits, the blocks are decoded.
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_.Get(), dds.Build().data(),
                                                  static_cast<UINT>(dds.Build().size()), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                  texture.Receive()),
              S_OK);
    EXPECT_EQ(Level32(texture.Get(), 0)[0], 0xFFFF0000u);
    EXPECT_EQ(Level32(texture.Get(), 0)[1], 0xFF0000FFu);
}

TEST_F(TextureFromFile, FailuresLeaveNoTexture) {
    ComPtr<IDirect3DTexture8> texture;
    const std::string missing = ::testing::TempDir() + "orrery_texture_missing.jpg";
    EXPECT_LT(D3DXCreateTextureFromFileA(device_.Get(), missing.c_str(), texture.Receive()), 0);
    EXPECT_FALSE(texture);
    const std::string junk = Write("junk.bmp", Bytes{'B', 'M', 1, 2, 3});
    EXPECT_EQ(D3DXCreateTextureFromFileA(device_.Get(), junk.c_str(), texture.Receive()), D3DXERR_INVALIDDATA);
    EXPECT_FALSE(texture);
    EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, junk.c_str(), texture.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(device_.Get(), nullptr, texture.Receive()), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileA(device_.Get(), junk.c_str(), nullptr), D3DERR_INVALIDCALL);
    const Bytes tga = Targa(false, kEight);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_.Get(), tga.data(), static_cast<UINT>(tga.size()), 100000,
                                                  4, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                  0, nullptr, nullptr, texture.Receive()),
              D3DERR_INVALIDCALL);
    EXPECT_FALSE(texture);
}

TEST_F(TextureFromFile, OnlyRegularFilesAreRead) {
    fifotest::FifoFile fifo("title.jpg");
    ASSERT_TRUE(fifo.Made());
    // A FIFO, a directory and a device are refused alike, and at once.
    for (const std::string& path : {fifo.Path(), fifo.Folder().string(), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        ComPtr<IDirect3DTexture8> texture;
        HRESULT hr = S_OK;
        std::string errors;
        EXPECT_TRUE(fifo.FinishesWithin([&] {
            testing::internal::CaptureStderr();
            hr = D3DXCreateTextureFromFileA(device_.Get(), path.c_str(), texture.Receive());
            errors = testing::internal::GetCapturedStderr();
        }));
        EXPECT_EQ(hr, E_FAIL);
        EXPECT_FALSE(texture);
        EXPECT_EQ(errors, path + ": cannot open: not a regular file\n");
    }
}

// The show's sample textures, when the shared folder is there.
TEST_F(TextureFromFile, SampleJpegsLoad) {
    for (const char* leaf : {"dwarf.jpg", "axe.jpg"}) {
        const std::string path = std::string(ORRERY_XFILES_DIR) + "/" + leaf;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not there";
        ComPtr<IDirect3DTexture8> texture;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXCreateTextureFromFileExA(device_.Get(), path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                               0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                               &info, nullptr, texture.Receive()),
                  S_OK)
            << leaf;
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_JPG);
        EXPECT_EQ(FormatOf(texture.Get()), D3DFMT_X8R8G8B8);
        UINT levels = 1;
        while ((info.Width >> levels) || (info.Height >> levels)) ++levels;
        EXPECT_EQ(texture->GetLevelCount(), levels) << leaf;
        const Colours top = Level32(texture.Get(), 0);
        EXPECT_EQ(top.size(), std::size_t{info.Width} * info.Height);
        // A real picture: not a single flat colour.
        EXPECT_NE(std::count(top.begin(), top.end(), top[0]), static_cast<std::ptrdiff_t>(top.size())) << leaf;
    }
}

}  // namespace
