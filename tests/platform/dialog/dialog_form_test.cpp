// The browser build's dialog markup, checked on the desktop: one element per control with its id,
// place, caption, checks and disabled state, and captions that cannot break the markup.
#include "platform/dialog/web/dialog_form.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/dialog/dialog_state.h"

namespace {

using namespace platform;

DialogControl Make(int id, ControlKind kind, std::string caption, int x, int y, bool checked = false,
                   bool disabled = false, int group = 0) {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.caption = std::move(caption);
    c.x = x;
    c.y = y;
    c.width = 50;
    c.height = 14;
    c.checked = checked;
    c.disabled = disabled;
    c.group = group;
    return c;
}

const std::uint8_t kPixels[2 * 3 * 3] = {};

DialogTemplate Sample() {
    DialogTemplate t;
    t.id = 101;
    t.caption = "Setup <1> & \"2\"";
    t.width = 305;
    t.height = 209;
    DialogControl picture = Make(-1, ControlKind::SunkenPicture, "", 13, 122);
    picture.picture = {3, 2, kPixels};
    t.controls = {Make(1, ControlKind::DefaultPushButton, "Run", 193, 188),
                  Make(2, ControlKind::PushButton, "Cancel", 248, 188),
                  Make(10, ControlKind::PushLikeRadio, "640x480", 69, 18, true),
                  Make(11, ControlKind::PushLikeRadio, "800x600", 125, 18),
                  Make(12, ControlKind::PushLikeRadio, "1024x768", 183, 18, false, true),
                  Make(20, ControlKind::PushLikeRadio, "Other", 13, 40, true, false, 1),
                  Make(30, ControlKind::AutoCheckBox, "High <Priority>", 15, 57),
                  Make(31, ControlKind::AutoCheckBox, "Zbuffer", 15, 44, false, true),
                  Make(40, ControlKind::StaticText, "Line one\nTom & 'Jerry'", 43, 120),
                  Make(50, ControlKind::GroupBox, "Screen resolution", 7, 7),
                  picture};
    return t;
}

// The element carrying data-control-id="id", from its opening tag to the closing tag of its kind.
std::string Element(const std::string& html, int id) {
    const std::size_t attribute = html.find(" data-control-id=\"" + std::to_string(id) + "\"");
    if (attribute == std::string::npos) return {};
    const std::size_t open = html.rfind('<', attribute);
    const std::string tag = html.substr(open + 1, attribute - open - 1);
    const std::size_t close = html.find("</" + tag + ">", attribute);
    if (close == std::string::npos) return {};
    return html.substr(open, close + tag.size() + 3 - open);
}

std::string Place(int x, int y, int w, int h) {
    return "left:" + std::to_string(DialogUnitsToPixelsX(x)) + "px;top:" + std::to_string(DialogUnitsToPixelsY(y)) +
           "px;width:" + std::to_string(DialogUnitsToPixelsX(w)) + "px;height:" +
           std::to_string(DialogUnitsToPixelsY(h)) + "px";
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(DialogForm, EveryControlIsOneElementWithItsIdPlaceAndCaption) {
    DialogState state(Sample());
    const std::string html = DialogFormHtml(state);
    EXPECT_EQ(html.rfind("<form class=\"dialog\" data-dialog-id=\"101\" style=\"position:fixed;margin:0;left:0px;top:0px;"
                         "width:458px;",
                         0),
              0u)
        << html;
    EXPECT_NE(html.find("<h1>Setup &lt;1&gt; &amp; &quot;2&quot;</h1>"), std::string::npos) << html;
    EXPECT_NE(html.find("<div class=\"client\" style=\"position:relative;height:340px\">"), std::string::npos) << html;
    for (int id : {1, 2, 10, 11, 12, 20, 30, 31, 40, 50, -1})
        EXPECT_EQ(Count(html, "data-control-id=\"" + std::to_string(id) + "\""), 1) << id;

    EXPECT_EQ(Element(html, 1), "<button data-control-id=\"1\" class=\"default\" style=\"position:absolute;"
                                "box-sizing:border-box;margin:0;" + Place(193, 188, 50, 14) + "\" type=\"button\">Run</button>");
    EXPECT_EQ(Element(html, 2).find("<button data-control-id=\"2\" style="), 0u);
    EXPECT_NE(Element(html, 2).find(Place(248, 188, 50, 14) + "\" type=\"button\">Cancel</button>"), std::string::npos);
    EXPECT_NE(Element(html, 10).find("<input type=\"radio\" name=\"group-0\" checked> 640x480</label>"),
              std::string::npos);
    EXPECT_NE(Element(html, 20).find("<input type=\"radio\" name=\"group-1\" checked> Other</label>"), std::string::npos);
    EXPECT_NE(Element(html, 30).find("<input type=\"checkbox\"> High &lt;Priority&gt;</label>"), std::string::npos);
    EXPECT_NE(Element(html, 40).find(">Line one\nTom &amp; &#39;Jerry&#39;</span>"), std::string::npos);
    EXPECT_NE(Element(html, 50).find("><legend>Screen resolution</legend></fieldset>"), std::string::npos);
    EXPECT_NE(Element(html, -1).find("<canvas data-picture=\"10\" width=\"3\" height=\"2\""), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 13), "</div></form>");
}

TEST(DialogForm, ChecksAndDisabledStatesFollowTheState) {
    DialogState state(Sample());
    // What the procedure does in WM_INITDIALOG shows in the markup, not the template's defaults.
    state.SetChecked(11, true);
    state.SetChecked(10, false);
    state.SetChecked(30, true);
    state.SetWindowRect({100, 50, 558, 390});
    const std::string html = DialogFormHtml(state);
    EXPECT_NE(Element(html, 10).find("<input type=\"radio\" name=\"group-0\"> 640x480"), std::string::npos);
    EXPECT_NE(Element(html, 11).find("<input type=\"radio\" name=\"group-0\" checked> 800x600"), std::string::npos);
    EXPECT_NE(Element(html, 30).find("<input type=\"checkbox\" checked> High"), std::string::npos);
    EXPECT_NE(Element(html, 12).find("<input type=\"radio\" name=\"group-0\" disabled> 1024x768"), std::string::npos);
    EXPECT_NE(Element(html, 31).find("<input type=\"checkbox\" disabled> Zbuffer"), std::string::npos);
    EXPECT_EQ(Count(html, " disabled"), 2) << html;
    EXPECT_EQ(Count(html, " checked"), 3) << html;
    EXPECT_NE(html.find("position:fixed;margin:0;left:100px;top:50px;width:458px;"), std::string::npos) << html;
}

TEST(DialogForm, EscapingCoversEveryMarkupCharacter) {
    EXPECT_EQ(EscapeHtml("a<b>&\"c\"'d'"), "a&lt;b&gt;&amp;&quot;c&quot;&#39;d&#39;");
    EXPECT_EQ(EscapeHtml("plain text 640x480"), "plain text 640x480");
    EXPECT_EQ(EscapeHtml(""), "");
}

}  // namespace
