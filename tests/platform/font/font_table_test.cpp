// The browser build's family table, checked on the desktop: which packed file serves a request,
// and that each of those files is a Liberation Sans face of the style the table claims.
#include "platform/font/web/font_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/font/font.h"

namespace {

using platform::PackedFaceFor;

TEST(FontTable, EveryFamilyIsServedByLiberationSans) {
    for (const char* family : {"Arial", "arial", "Helvetica", "Liberation Sans", "Times New Roman", "", "Comic Sans MS"}) {
        const platform::PackedFace face = PackedFaceFor(family, 400, false);
        EXPECT_EQ(face.file, "/fonts/LiberationSans-Regular.ttf") << family;
        EXPECT_EQ(face.family, "Liberation Sans") << family;
        EXPECT_EQ(face.style, "Regular") << family;
        EXPECT_FALSE(face.bold) << family;
        EXPECT_FALSE(face.italic) << family;
    }
}

TEST(FontTable, WeightAndSlantPickTheStyle) {
    const struct {
        int weight;
        bool italic;
        const char* file;
        const char* style;
    } kCases[] = {
        {100, false, "/fonts/LiberationSans-Regular.ttf", "Regular"},
        {599, false, "/fonts/LiberationSans-Regular.ttf", "Regular"},
        {600, false, "/fonts/LiberationSans-Bold.ttf", "Bold"},
        {700, false, "/fonts/LiberationSans-Bold.ttf", "Bold"},
        {400, true, "/fonts/LiberationSans-Italic.ttf", "Italic"},
        {900, true, "/fonts/LiberationSans-BoldItalic.ttf", "Bold Italic"},
    };
    for (const auto& c : kCases) {
        const platform::PackedFace face = PackedFaceFor("Arial", c.weight, c.italic);
        EXPECT_EQ(face.file, c.file) << c.weight << " " << c.italic;
        EXPECT_EQ(face.style, c.style) << c.weight << " " << c.italic;
        EXPECT_EQ(face.bold, c.weight >= 600) << c.weight;
        EXPECT_EQ(face.italic, c.italic) << c.weight;
    }
}

// Asked for the same style, the desktop's fontconfig picks a Liberation Sans file of the name the
// table gives (from fonts-liberation or fonts-liberation2) and calls its style the same.
TEST(FontTable, PackedFilesHoldTheStylesTheTableNames) {
    const std::filesystem::path folder = "/usr/share/fonts/truetype/liberation";
    if (!std::filesystem::exists(folder / "LiberationSans-Regular.ttf")) GTEST_SKIP() << "fonts-liberation absent";
    for (int weight : {400, 700}) {
        for (bool italic : {false, true}) {
            const platform::PackedFace face = PackedFaceFor("Arial", weight, italic);
            platform::FontRequest request{"Liberation Sans", 12, weight, italic};
            const auto font = platform::Font::Open(request);
            ASSERT_NE(font, nullptr);
            EXPECT_EQ(std::filesystem::path(font->File()).filename(), std::filesystem::path(face.file).filename());
            EXPECT_EQ(font->Style(), face.style);
            EXPECT_FALSE(font->SyntheticBold());
            EXPECT_FALSE(font->SyntheticItalic());
        }
    }
}

}  // namespace
