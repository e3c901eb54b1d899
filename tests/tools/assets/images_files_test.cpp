// The pictures of the pack as the show's texture loader decodes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "platform/d3dx/image_decoders.h"
#include "platform/font/glyph_raster.h"
#include "tests/common/channel.h"
#include "tools/assets/images/captions.h"
#include "tools/assets/images/images_files.h"

namespace {

struct Decoded {
    d3dx::DecodedImage image;
    const d3dx::PixelLevel& Level() const { return image.levels.at(0); }
};

// Every file of the area made once and decoded, shared by the tests of this process.
const std::map<std::string, Decoded>& Pack() {
    static const std::map<std::string, Decoded> pack = [] {
        std::map<std::string, Decoded> decoded;
        for (const assets::AssetFile& file : assets::ImageFiles()) {
            const assets::Bytes bytes = file.make();
            Decoded entry;
            if (!bytes.empty() && d3dx::DecodeImage(d3dx::ByteSpan(bytes.data(), bytes.size()), file.name.c_str(),
                                                     entry.image) >= 0) {
                decoded.emplace(file.name, std::move(entry));
            }
        }
        return decoded;
    }();
    return pack;
}

using testpixels::Channel;
int Brightest(std::uint32_t pixel) { return std::max({Channel(pixel, 16), Channel(pixel, 8), Channel(pixel, 0)}); }

// Largest value of `measure` over the outermost ring of pixels.
template <typename Measure>
int BorderMax(const d3dx::PixelLevel& level, Measure measure) {
    int worst = 0;
    for (std::uint32_t x = 0; x < level.width; ++x) {
        worst = std::max({worst, measure(level.At(x, 0)), measure(level.At(x, level.height - 1))});
    }
    for (std::uint32_t y = 0; y < level.height; ++y) {
        worst = std::max({worst, measure(level.At(0, y)), measure(level.At(level.width - 1, y))});
    }
    return worst;
}

TEST(ImageFiles, EveryPictureDecodesAtItsSizeAndFormat) {
    struct Expected {
        const char* name;
        std::uint32_t width, height;
        D3DXIMAGE_FILEFORMAT format;
    };
    const Expected expected[] = {
        {"title.jpg", 1024, 512, D3DXIFF_JPG},        {"intro_particle.jpg", 256, 256, D3DXIFF_JPG},
        {"particle1.jpg", 256, 256, D3DXIFF_JPG},     {"particle3.jpg", 256, 256, D3DXIFF_JPG},
        {"snowflake.jpg", 256, 256, D3DXIFF_JPG},     {"star.jpg", 256, 256, D3DXIFF_JPG},
        {"lens_flare.jpg", 512, 512, D3DXIFF_JPG},    {"globule.tga", 256, 256, D3DXIFF_TGA},
        {"jap_escape.tga", 256, 64, D3DXIFF_TGA},     {"jap_exp.tga", 256, 64, D3DXIFF_TGA},
    };
    EXPECT_EQ(assets::ImageFiles().size(), std::size(expected));
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        auto found = Pack().find(e.name);
        ASSERT_NE(found, Pack().end());
        const d3dx::DecodedImage& image = found->second.image;
        EXPECT_EQ(image.fileFormat, e.format);
        EXPECT_EQ(image.Width(), e.width);
        EXPECT_EQ(image.Height(), e.height);
        if (e.format == D3DXIFF_TGA) {
            EXPECT_TRUE(image.hasAlpha);
        }
    }
}

TEST(ImageFiles, AdditiveShapesHaveBlackBordersAndBrightCentres) {
    for (const char* name : {"intro_particle.jpg", "particle1.jpg", "particle3.jpg", "snowflake.jpg", "star.jpg",
                             "lens_flare.jpg", "globule.tga"}) {
        SCOPED_TRACE(name);
        auto found = Pack().find(name);
        ASSERT_NE(found, Pack().end());
        const d3dx::PixelLevel& level = found->second.Level();
        EXPECT_EQ(BorderMax(level, Brightest), 0);
        int centre = 0;
        const std::uint32_t reach = level.width / 8;
        for (std::uint32_t y = level.height / 2 - reach; y < level.height / 2 + reach; ++y) {
            for (std::uint32_t x = level.width / 2 - reach; x < level.width / 2 + reach; ++x) {
                centre = std::max(centre, Brightest(level.At(x, y)));
            }
        }
        EXPECT_GE(centre, 160);
    }
}

TEST(ImageFiles, TargasAreClearAtTheBorders) {
    for (const char* name : {"globule.tga", "jap_escape.tga", "jap_exp.tga"}) {
        SCOPED_TRACE(name);
        auto found = Pack().find(name);
        ASSERT_NE(found, Pack().end());
        EXPECT_EQ(BorderMax(found->second.Level(), [](std::uint32_t p) { return Channel(p, 24); }), 0);
    }
}

TEST(ImageFiles, GlobuleIsTranslucentWithADenserRim) {
    auto found = Pack().find("globule.tga");
    ASSERT_NE(found, Pack().end());
    const d3dx::PixelLevel& level = found->second.Level();
    const int middle = Channel(level.At(140, 140), 24);
    EXPECT_GT(middle, 40);
    EXPECT_LT(middle, 180);
    // Along the row through the middle, the membrane's edge is denser than its centre.
    int rim = 0;
    for (std::uint32_t x = 0; x < level.width; ++x) rim = std::max(rim, Channel(level.At(x, 140), 24));
    EXPECT_GT(rim, middle + 40);
}

TEST(ImageFiles, CaptionsCarryLightGlyphInkInsideDarkOutlines) {
    for (const char* name : {"jap_escape.tga", "jap_exp.tga"}) {
        SCOPED_TRACE(name);
        auto found = Pack().find(name);
        ASSERT_NE(found, Pack().end());
        const d3dx::PixelLevel& level = found->second.Level();
        std::size_t light = 0, dark = 0, opaque = 0;
        // Ink per quarter of the width: four characters, each must leave its mark.
        int quarters[4] = {};
        for (std::uint32_t y = 0; y < level.height; ++y) {
            for (std::uint32_t x = 0; x < level.width; ++x) {
                const std::uint32_t p = level.At(x, y);
                if (Channel(p, 24) < 200) continue;
                ++opaque;
                if (Brightest(p) >= 220) {
                    ++light;
                    ++quarters[std::min<std::uint32_t>(3, x * 4 / level.width)];
                } else if (Brightest(p) <= 60) {
                    ++dark;
                }
            }
        }
        EXPECT_GT(light, level.pixels.size() / 12);
        EXPECT_GT(dark, level.pixels.size() / 25);
        EXPECT_GT(opaque, light + dark);  // soft edges between ink and outline
        EXPECT_GT(std::count_if(std::begin(quarters), std::end(quarters), [](int n) { return n > 60; }), 2);
    }
}

TEST(ImageFiles, CaptionCharactersArePresentInTheMatchedFace) {
    for (const assets::images::CaptionStyle& style :
         {assets::images::EscapeCaption(), assets::images::ExperimentCaption()}) {
        auto raster = platform::GlyphRaster::Open({style.family, 48, 700, false});
        ASSERT_NE(raster, nullptr);
        EXPECT_NE(raster->Family().find("CJK"), std::string::npos) << raster->Family();
        platform::GlyphCoverage notdef, glyph;
        ASSERT_TRUE(raster->RenderNotdef(notdef));
        for (char32_t c : style.text) {
            EXPECT_TRUE(raster->HasGlyph(c)) << unsigned(c);
            ASSERT_TRUE(raster->Render(c, glyph));
            EXPECT_NE(glyph.coverage, notdef.coverage) << unsigned(c);
        }
    }
}

TEST(ImageFiles, ACaptionWithACharacterTheFaceLacksIsRefused) {
    assets::images::CaptionStyle style = assets::images::EscapeCaption();
    style.text += U'\U0010FFFD';
    EXPECT_FALSE(assets::images::MakeCaption(style).has_value());
}

TEST(ImageFiles, MakingTheFilesAgainGivesTheSameBytes) {
    const assets::AssetList first = assets::ImageFiles(), second = assets::ImageFiles();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(first[i].name);
        const assets::Bytes a = first[i].make();
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, second[i].make());
    }
}

}  // namespace
