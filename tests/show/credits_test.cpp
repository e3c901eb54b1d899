// The credits: the line list, the x of a line, and the scroll and darkening over a picture.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "resources/setup_dialog_resources.h"
#include "show/scenes/credits_scene.h"
#include "tests/show/intro_credits_fixture.h"

namespace {

using scenetest::Frame;
using scenetest::kHeight;
using scenetest::kWidth;

// Stands in for the city picture the credits are drawn over.
constexpr D3DCOLOR kPicture = 0xFF808080;

class CreditsSceneTest : public scenetest::SceneTest {};

TEST_F(CreditsSceneTest, LinesStackFromTheBottomWithTheirGaps) {
    CreditsScene credits;
    ASSERT_EQ(credits.Load(), 0);
    ASSERT_NE(credits.Font(), nullptr);
    const auto& lines = credits.Lines();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_FLOAT_EQ(credits.FirstY(), kHeight - 50.0f);
    EXPECT_FLOAT_EQ(credits.LastY(), kHeight + 445.0f);
    EXPECT_FLOAT_EQ(lines.front().y, credits.FirstY());
    EXPECT_FLOAT_EQ(lines.back().y, credits.LastY());
    EXPECT_FLOAT_EQ(lines[2].y - lines[1].y, 60.0f);
    EXPECT_FLOAT_EQ(lines[4].y - lines[3].y, 50.0f);
    EXPECT_FLOAT_EQ(lines[14].y - lines[13].y, 15.0f);

    EXPECT_STREQ(lines[0].text, "P r o j e c t    K a e d e  ");
    EXPECT_STREQ(lines[12].text, "S p e c i a l   T h a n k s   ");
    for (int heading : {2, 4, 6, 8, 10, 12}) EXPECT_EQ(lines[heading].colour, 0xFFB4B4B4u) << heading;
    for (int other : {0, 1, 3, 5, 7, 9, 11, 13, 14, 15, 16}) EXPECT_EQ(lines[other].colour, 0xFFFFFFFFu) << other;

    // The web address is plain, followed by exactly nine blanks.
    const std::string web = lines.back().text;
    const std::size_t end = web.find_last_not_of(' ');
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(web.size() - end - 1, 9u);
    EXPECT_EQ(web.substr(0, end + 1).find(' '), std::string::npos);
}

// One blank between letters, three between words (four in the title); every line fits a
// 640-pixel screen at six pixels per character.
TEST_F(CreditsSceneTest, EveryLineIsLetterSpacedAndFitsTheScreen) {
    CreditsScene credits;
    ASSERT_EQ(credits.Load(), 0);
    const auto& lines = credits.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string text = lines[i].text;
        EXPECT_LT(text.size(), 640u / 6u) << text;
        if (i + 1 == lines.size()) continue;
        const std::size_t end = text.find_last_not_of(' ');
        ASSERT_NE(end, std::string::npos);
        std::size_t run = 0;
        for (std::size_t k = 0; k <= end; ++k) {
            if (text[k] == ' ') {
                ++run;
                continue;
            }
            if (k > 0) {
                const bool allowed = run == 1 || run == 3 || (i == 0 && run == 4);
                EXPECT_TRUE(allowed) << "line " << i << " \"" << text << "\" at " << k;
            }
            run = 0;
        }
    }
}

// A letter-spaced line as plain text: single blanks between letters dropped, runs of three or
// more between words made one, trailing blanks cut.
std::string Plain(const std::string& spaced) {
    std::string plain;
    std::size_t run = 0;
    for (char c : spaced) {
        if (c == ' ') {
            ++run;
            continue;
        }
        if (run >= 3 && !plain.empty()) plain += ' ';
        plain += c;
        run = 0;
    }
    return plain;
}

// The setup dialog's credits box names, for each of its four roles, the person the closing
// credits name under that role's heading.
TEST_F(CreditsSceneTest, TheSetupDialogCreditsTheSamePeopleForTheSameRoles) {
    CreditsScene credits;
    ASSERT_EQ(credits.Load(), 0);
    const auto& lines = credits.Lines();
    const platform::DialogTemplate dialog = LoadDialogTemplate(IDD_SETUP);
    const platform::DialogControl* box = nullptr;
    for (const platform::DialogControl& control : dialog.controls)
        if (control.kind == platform::ControlKind::StaticText && control.caption.find(": ") != std::string::npos)
            box = &control;
    ASSERT_NE(box, nullptr) << "the credits box";

    // Dialog role, and the heading of the closing credits for the same work.
    const std::pair<std::string, std::string> roles[] = {{"Lead Programmer", "Lead programmer"},
                                                         {"Modeling", "3d Modeling & Artwork"},
                                                         {"Animations", "3d Animation"},
                                                         {"Soundtrack", "Original Soundtrack"}};
    std::stringstream boxLines(box->caption);
    for (const auto& [role, heading] : roles) {
        std::string line;
        ASSERT_TRUE(std::getline(boxLines, line)) << role;
        ASSERT_EQ(line.rfind(role + ": ", 0), 0u) << line;
        const std::string person = line.substr(role.size() + 2);
        std::size_t at = 0;
        while (at + 1 < lines.size() && Plain(lines[at].text) != heading) ++at;
        ASSERT_LT(at + 1, lines.size()) << "no heading " << heading;
        EXPECT_EQ(Plain(lines[at + 1].text), person) << role;
    }
    std::string more;
    EXPECT_FALSE(std::getline(boxLines, more)) << "four roles only: " << more;
}

TEST(CreditsLetterSpacing, OneBlankBetweenLettersThreeBetweenWords) {
    EXPECT_EQ(CreditsScene::LetterSpaced("Ann Lee"), "A n n   L e e");
    EXPECT_EQ(CreditsScene::LetterSpaced("J R  Ward"), "J   R   W a r d");  // a double blank is one break
    EXPECT_EQ(CreditsScene::LetterSpaced("X"), "X");
    EXPECT_EQ(CreditsScene::LetterSpaced(""), "");
    EXPECT_EQ(Plain(CreditsScene::LetterSpaced("Oscar de la Rey")), "Oscar de la Rey");
}

TEST(CreditsLineX, SixPixelsPerCharacterAndWrapsWhenTooLong) {
    EXPECT_FLOAT_EQ(CreditsScene::LineX(640, 29), 466.0f);
    EXPECT_FLOAT_EQ(CreditsScene::LineX(640, 0), 640.0f);
    // 200 characters on 640 pixels: the unsigned difference wraps far off the right edge.
    EXPECT_FLOAT_EQ(CreditsScene::LineX(640, 200), 4294966736.0f);
}

TEST_F(CreditsSceneTest, LinesScrollUpThenStopWhileTheDarkeningGoesOn) {
    CreditsScene credits;
    ASSERT_EQ(credits.Load(), 0);

    // 226 s: the picture is darkened at alpha 170 (128 -> about 43); the title line shows 50
    // pixels above the bottom and the 49-character studio line under it starts at W - 6 x 49.
    const Frame first = RenderAt(credits, 226.0f, kPicture);
    const std::uint32_t darkened = first.At(2, 2) & 0xFF;
    EXPECT_NEAR(static_cast<int>(darkened), 43, 2);
    const int top226 = first.TopmostAtLeast(0xC0);
    EXPECT_GE(top226, kHeight - 52);
    EXPECT_LE(top226, kHeight - 40);
    EXPECT_GE(first.LeftmostAtLeast(0xC0), kWidth - 6 * 49 - 1);
    EXPECT_LE(first.LeftmostAtLeast(0xC0), kWidth - 6 * 49 + 4);

    // Two seconds later every line has moved up by (H + 495) * 2 / 31 pixels.
    const Frame later = RenderAt(credits, 228.0f, kPicture);
    const float expectedMove = (kHeight + 495.0f) * 2.0f / 31.0f;
    EXPECT_NEAR(credits.Scroll(), expectedMove, 0.5f);
    ASSERT_GE(later.TopmostAtLeast(0xC0), 0);
    EXPECT_NEAR(static_cast<float>(top226 - later.TopmostAtLeast(0xC0)), expectedMove, 3.0f);

    // The scroll ends at 257 s; from the next frame on no text is drawn, only the overlay,
    // deeper now: 257.05 s gives alpha 212, so 128 -> about 21 everywhere.
    RenderAt(credits, 240.0f, kPicture);
    RenderAt(credits, 257.0f, kPicture);
    EXPECT_NEAR(credits.Scroll(), credits.LastY() - credits.FirstY() + kHeight, 0.01f);
    const Frame after = RenderAt(credits, 257.05f, kPicture);
    EXPECT_EQ(after.CountAtLeast(0x40), 0);
    EXPECT_GE(first.drawCalls, 1u + CreditsScene::kLineCount);
    EXPECT_EQ(after.drawCalls, 1u);  // the overlay only
    const int deep = static_cast<int>(after.At(kWidth / 2, kHeight / 2) & 0xFF);
    EXPECT_NEAR(deep, 21, 2);
    EXPECT_EQ(after.CountEqual(after.At(kWidth / 2, kHeight / 2)), kWidth * kHeight);
}

TEST_F(CreditsSceneTest, WithoutAFontOnlyTheDarkeningIsDrawn) {
    CreditsScene credits;  // never loaded: no font, no lines
    const Frame frame = RenderAt(credits, 230.0f, kPicture);
    EXPECT_NEAR(static_cast<int>(frame.At(5, 5) & 0xFF), 43, 2);
    EXPECT_EQ(frame.CountEqual(frame.At(5, 5)), kWidth * kHeight);
    credits.Unload();
    EXPECT_EQ(credits.Font(), nullptr);
    EXPECT_EQ(credits.GetStatus(), 0);
}

}  // namespace
