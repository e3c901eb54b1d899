// DialogBoxParam on FLTK: the template's controls as FLTK widgets, mirroring a DialogState.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_state.h"

namespace platform {

namespace {

// The dialog font: a sans serif close to the metrics of the classic dialog font, so that the
// templates' captions fit their controls; fontconfig substitutes when it is missing.
constexpr Fl_Font kDialogFont = FL_FREE_FONT;
constexpr const char* kDialogFontName = " Liberation Sans";

// A group box: an etched frame whose caption interrupts its top edge.
class GroupFrame : public Fl_Widget {
public:
    GroupFrame(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}

protected:
    void draw() override {
        fl_font(labelfont(), labelsize());
        const int textHeight = fl_height();
        const int top = y() + textHeight / 2;
        draw_box(FL_ENGRAVED_FRAME, x(), top, w(), h() - textHeight / 2, color());
        if (!label() || !*label()) return;
        const int textWidth = static_cast<int>(fl_width(label()));
        fl_color(parent() ? parent()->color() : FL_BACKGROUND_COLOR);
        fl_rectf(x() + 6, y(), textWidth + 4, textHeight);
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_draw(label(), x() + 8, y() + textHeight - fl_descent());
    }
};

// X errors while a dialog runs: once its window has been destroyed from outside, FLTK's requests
// on it fail harmlessly and are dropped; anything else goes to the handler found before.
bool windowGone = false;
XErrorHandler outerHandler = nullptr;

int DialogXError(Display* display, XErrorEvent* error) {
    if (windowGone) return 0;
    return outerHandler ? outerHandler(display, error) : 0;
}

// Puts DialogXError in place for one dialog.
class XErrorScope {
public:
    XErrorScope() {
        windowGone = false;
        outerHandler = XSetErrorHandler(DialogXError);
    }
    ~XErrorScope() {
        XSync(fl_display, False);
        XSetErrorHandler(outerHandler);
        windowGone = false;
    }
    XErrorScope(const XErrorScope&) = delete;
    XErrorScope& operator=(const XErrorScope&) = delete;
};

class FltkDialog : public DialogView {
public:
    explicit FltkDialog(DialogState& state) : state_(state) {
        const DialogTemplate& t = state.Template();
        const DialogRect rect = state.WindowRect();
        fontSize_ = MulDiv(t.pointSize > 0 ? t.pointSize : 8, 96, 72);
        window_ = std::make_unique<Fl_Double_Window>(rect.left, rect.top, rect.right - rect.left,
                                                     rect.bottom - rect.top);
        window_->copy_label(t.caption.c_str());
        window_->callback(OnClose, this);
        window_->set_modal();
        for (const DialogControl& control : t.controls) AddControl(control);
        window_->end();
    }
    ~FltkDialog() override {
        window_.reset();
        Fl::remove_system_handler(OnSystemEvent);
    }

    void CheckChanged(int id, bool checked) override {
        const auto found = buttons_.find(id);
        if (found != buttons_.end()) found->second->value(checked ? 1 : 0);
    }
    void Moved(const DialogRect& rect) override {
        window_->resize(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }

    // Shows the window and runs events until the dialog ends; false when the window was
    // destroyed from outside before it ended.
    bool Run() {
        window_->show();
        Fl::add_system_handler(OnSystemEvent, this);
        while (!state_.Ended() && !gone_) Fl::wait(0.25);
        if (gone_ && !state_.Ended()) state_.Cancel();  // as the close box would
        if (!gone_) window_->hide();
        Fl::flush();
        return state_.Ended();
    }

private:
    void AddControl(const DialogControl& control) {
        const int x = DialogUnitsToPixelsX(control.x), y = DialogUnitsToPixelsY(control.y);
        const int w = DialogUnitsToPixelsX(control.width), h = DialogUnitsToPixelsY(control.height);
        // Widgets are made inside the window, which owns and deletes them (FLTK's way).
        Fl_Widget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::DefaultPushButton: widget = new Fl_Return_Button(x, y, w, h); break;
        case ControlKind::PushButton: widget = new Fl_Button(x, y, w, h); break;
        case ControlKind::PushLikeRadio: {
            // A round mark with the caption beside it, as the browser's form shows it too.
            auto* button = new Fl_Round_Button(x, y, w, h);
            button->type(FL_RADIO_BUTTON);
            button->value(state_.IsChecked(control.id) ? 1 : 0);
            widget = button;
            break;
        }
        case ControlKind::AutoCheckBox: {
            auto* button = new Fl_Check_Button(x, y, w, h);
            button->value(state_.IsChecked(control.id) ? 1 : 0);
            widget = button;
            break;
        }
        case ControlKind::StaticText: {
            auto* box = new Fl_Box(x, y, w, h);
            box->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT | FL_ALIGN_WRAP);
            widget = box;
            break;
        }
        case ControlKind::GroupBox: widget = new GroupFrame(x, y, w, h); break;
        case ControlKind::SunkenPicture: widget = AddPicture(control, x, y, w, h); break;
        }
        widget->copy_label(control.caption.c_str());
        widget->labelfont(kDialogFont);
        widget->labelsize(fontSize_);
        if (auto* button = dynamic_cast<Fl_Button*>(widget)) {
            buttons_[control.id] = button;
            ids_[widget] = control.id;
            button->when(FL_WHEN_RELEASE_ALWAYS);  // a click on a checked radio button counts too
            button->callback(OnClick, this);
        }
        if (control.disabled) widget->deactivate();
    }

    Fl_Widget* AddPicture(const DialogControl& control, int x, int y, int w, int h) {
        auto* box = new Fl_Box(FL_DOWN_FRAME, x, y, w, h, nullptr);
        const DialogBitmap& bitmap = control.picture;
        const int inset = 2 * Fl::box_dx(FL_DOWN_FRAME);
        if (bitmap.rgb && bitmap.width > 0 && bitmap.height > 0 && w > inset && h > inset) {
            Fl_RGB_Image source(bitmap.rgb, bitmap.width, bitmap.height, 3);
            picture_.reset(source.copy(w - inset, h - inset));
            box->image(picture_.get());
        }
        return box;
    }

    static void OnClick(Fl_Widget* widget, void* data) {
        auto* self = static_cast<FltkDialog*>(data);
        const auto found = self->ids_.find(widget);
        if (found == self->ids_.end()) return;
        // FLTK has already flipped the button; the state decides and the button follows it.
        const int id = found->second;
        self->state_.Click(id);
        self->CheckChanged(id, self->state_.IsChecked(id));
    }
    // Esc and the window's close box.
    static void OnClose(Fl_Widget*, void* data) { static_cast<FltkDialog*>(data)->state_.Cancel(); }

    static int OnSystemEvent(void* event, void* data) {
        auto* self = static_cast<FltkDialog*>(data);
        const XEvent* e = static_cast<const XEvent*>(event);
        if (e->type == DestroyNotify && self->window_->shown() && e->xdestroywindow.window == fl_xid(self->window_.get()))
            self->gone_ = windowGone = true;
        return 0;  // FLTK goes on with the event as usual
    }

    DialogState& state_;
    int fontSize_ = 11;
    std::unique_ptr<Fl_Double_Window> window_;
    std::unique_ptr<Fl_Image> picture_;
    std::map<int, Fl_Button*> buttons_;
    std::map<Fl_Widget*, int> ids_;
    bool gone_ = false;
};

// The display, opened once for the process. FLTK's own opener ends the process when there is
// none; this one reports and lets the caller carry on.
bool OpenDisplay(const char* caption) {
    if (fl_display) return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "dialog \"%s\": cannot open the display %s%s%s\n", caption, name ? "\"" : "",
                     name ? name : "(DISPLAY is not set)", name ? "\"" : "");
        return false;
    }
    // FLTK installs process-wide X error handlers of its own (its I/O one ends the process);
    // the program's window layer keeps the ones it had.
    const XErrorHandler errorHandler = XSetErrorHandler(nullptr);
    const XIOErrorHandler ioErrorHandler = XSetIOErrorHandler(nullptr);
    fl_open_display(display);
    XSetErrorHandler(errorHandler);
    XSetIOErrorHandler(ioErrorHandler);
    Fl::set_font(kDialogFont, kDialogFontName);
    return true;
}

}  // namespace

std::intptr_t DialogBoxParam(const DialogTemplate& dialogTemplate, void*, DialogProc proc, DialogLParam lParam) {
    if (!proc || dialogTemplate.width <= 0 || dialogTemplate.height <= 0) {
        std::fprintf(stderr, "dialog \"%s\": no procedure or an empty template\n", dialogTemplate.caption.c_str());
        return -1;
    }
    if (!OpenDisplay(dialogTemplate.caption.c_str())) return -1;
    SetScreenSize(Fl::w(), Fl::h());

    DialogState state(dialogTemplate);
    bool ended = false;
    {
        XErrorScope errors;
        FltkDialog view(state);
        state.SetView(&view);
        state.Start(proc, lParam);
        ended = state.Ended() || view.Run();
        state.SetView(nullptr);
    }
    Fl::flush();
    if (!ended) {
        std::fprintf(stderr, "dialog \"%s\": the window was destroyed before the dialog ended\n",
                     dialogTemplate.caption.c_str());
        return -1;
    }
    return state.Result();
}

}  // namespace platform
