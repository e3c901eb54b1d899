#include "platform/dialog/web/dialog_form.h"

namespace platform {
namespace {

std::string Px(int value) { return std::to_string(value) + "px"; }

std::string ControlStyle(const DialogControl& control) {
    return "position:absolute;box-sizing:border-box;margin:0;left:" + Px(DialogUnitsToPixelsX(control.x)) +
           ";top:" + Px(DialogUnitsToPixelsY(control.y)) + ";width:" + Px(DialogUnitsToPixelsX(control.width)) +
           ";height:" + Px(DialogUnitsToPixelsY(control.height));
}

// The opening tag's common part: the control's id and place.
std::string Open(const char* tag, const DialogControl& control, const std::string& extraStyle = "",
                 const char* className = nullptr) {
    std::string html = std::string("<") + tag + " data-control-id=\"" + std::to_string(control.id) + "\"";
    if (className) html += std::string(" class=\"") + className + "\"";
    return html + " style=\"" + ControlStyle(control) + extraStyle + "\"";
}

std::string Disabled(const DialogControl& control) { return control.disabled ? " disabled" : ""; }

std::string ControlHtml(const DialogState& state, const DialogControl& control, std::size_t index) {
    const std::string caption = EscapeHtml(control.caption);
    switch (control.kind) {
    case ControlKind::DefaultPushButton:
        return Open("button", control, "", "default") + " type=\"button\"" + Disabled(control) + ">" + caption +
               "</button>";
    case ControlKind::PushButton:
        return Open("button", control) + " type=\"button\"" + Disabled(control) + ">" + caption + "</button>";
    case ControlKind::PushLikeRadio:
    case ControlKind::AutoCheckBox: {
        const bool radio = control.kind == ControlKind::PushLikeRadio;
        std::string input = radio ? "<input type=\"radio\" name=\"group-" + std::to_string(control.group) + "\""
                                  : std::string("<input type=\"checkbox\"");
        if (state.IsChecked(control.id)) input += " checked";
        input += Disabled(control) + ">";
        return Open("label", control, ";white-space:nowrap", radio ? "radio" : "check") + ">" + input + " " +
               caption + "</label>";
    }
    case ControlKind::StaticText:
        return Open("span", control, ";white-space:pre-line") + Disabled(control) + ">" + caption + "</span>";
    case ControlKind::GroupBox:
        return Open("fieldset", control, ";padding:0") + Disabled(control) + "><legend>" + caption +
               "</legend></fieldset>";
    case ControlKind::SunkenPicture: {
        const DialogBitmap& picture = control.picture;
        std::string html = Open("div", control, ";border-style:inset;border-width:2px", "picture") + ">";
        if (picture.rgb && picture.width > 0 && picture.height > 0) {
            html += "<canvas data-picture=\"" + std::to_string(index) + "\" width=\"" +
                    std::to_string(picture.width) + "\" height=\"" + std::to_string(picture.height) +
                    "\" style=\"display:block;width:100%;height:100%\"></canvas>";
        }
        return html + "</div>";
    }
    }
    return {};
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string DialogFormHtml(const DialogState& state) {
    const DialogTemplate& t = state.Template();
    const DialogRect rect = state.WindowRect();
    // The template's size in points as it is (a CSS pt is 96/72 px, as the dialog units assume):
    // rounded to whole pixels, as the desktop's font is, the captions would outgrow their boxes.
    const int pointSize = t.pointSize > 0 ? t.pointSize : 8;
    std::string html = "<form class=\"dialog\" data-dialog-id=\"" + std::to_string(t.id) + "\" style=\"" +
                       "position:fixed;margin:0;left:" + Px(rect.left) + ";top:" + Px(rect.top) +
                       ";width:" + Px(rect.right - rect.left) + ";font:" + std::to_string(pointSize) +
                       "pt 'Liberation Sans',Arial,sans-serif\"><h1>" + EscapeHtml(t.caption) +
                       "</h1><div class=\"client\" style=\"position:relative;height:" + Px(rect.bottom - rect.top) +
                       "\">";
    for (std::size_t i = 0; i < t.controls.size(); ++i) html += ControlHtml(state, t.controls[i], i);
    return html + "</div></form>";
}

}  // namespace platform
