// DialogBoxParam in the browser: the dialog is an HTML form in the page's #setup (markup in
// dialog_form.h), mirroring a DialogState as the FLTK window does on the desktop. The page's
// viewport is the screen (GetSystemMetrics). Clicks on buttons, check boxes and radio buttons,
// Return and Esc are queued by the page's listeners; the modal loop yields until one arrives and
// hands it to the state, which updates the checks and calls the procedure. The form is removed
// when the dialog ends; when something else removes it first, the dialog is cancelled as by the
// close box.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <deque>

#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_state.h"
#include "platform/dialog/web/dialog_form.h"
#include "platform/thread/web/cooperative.h"

// The form built from html inside #setup, with its listeners; 0 when the page has no #setup.
// Sets orrery.state to 'setup'.
EM_JS(int, WebDialogShow, (const char* html), {
    var setup = document.getElementById('setup');
    if (!setup) return 0;
    setup.innerHTML = UTF8ToString(html);
    var form = setup.querySelector('form.dialog');
    var send = function(kind, id) { _orrery_dialog_event(kind, id); };
    form.addEventListener('click', function(event) {
        var target = event.target;
        if (!(target instanceof HTMLButtonElement || target instanceof HTMLInputElement)) return;
        var control = target.closest('[data-control-id]');
        if (control) send(0, parseInt(control.dataset.controlId, 10));
    });
    form.addEventListener('submit', function(event) { event.preventDefault(); });
    var keys = function(event) {
        if (event.key === 'Escape') {
            event.preventDefault();
            send(1, 0);
        } else if (event.key === 'Enter' && !(event.target instanceof HTMLButtonElement)) {
            event.preventDefault();
            send(2, 0);
        }
    };
    document.addEventListener('keydown', keys);
    Module.orreryDialog = {form: form, keys: keys};
    var button = form.querySelector('button.default:not([disabled])');
    if (button) button.focus();
    if (globalThis.orrery) globalThis.orrery.state = 'setup';
    return 1;
});

// Paints the picture of control index from rgb (3 bytes a pixel, rows top down).
EM_JS(void, WebDialogPicture, (int index, const std::uint8_t* rgb, int width, int height), {
    var dialog = Module.orreryDialog;
    var canvas = dialog && dialog.form.querySelector('canvas[data-picture="' + index + '"]');
    var context = canvas && canvas.getContext('2d');
    if (!context) return;
    var image = context.createImageData(width, height);
    for (var i = 0, n = width * height; i < n; ++i) {
        image.data[4 * i] = HEAPU8[rgb + 3 * i];
        image.data[4 * i + 1] = HEAPU8[rgb + 3 * i + 1];
        image.data[4 * i + 2] = HEAPU8[rgb + 3 * i + 2];
        image.data[4 * i + 3] = 255;
    }
    context.putImageData(image, 0, 0);
});

EM_JS(void, WebDialogSetChecked, (int id, int checked), {
    var dialog = Module.orreryDialog;
    var input = dialog && dialog.form.querySelector('[data-control-id="' + id + '"] input');
    if (input) input.checked = !!checked;
});

// Puts the form's client area at (left, top), width pixels wide and height high.
EM_JS(void, WebDialogPlace, (int left, int top, int width, int height), {
    var dialog = Module.orreryDialog;
    if (!dialog) return;
    dialog.form.style.left = left + 'px';
    dialog.form.style.top = top + 'px';
    dialog.form.style.width = width + 'px';
    dialog.form.querySelector('.client').style.height = height + 'px';
});

// 1 while the form is still in the page.
EM_JS(int, WebDialogPresent, (void), {
    var dialog = Module.orreryDialog;
    return dialog && dialog.form.isConnected ? 1 : 0;
});

EM_JS(void, WebDialogRemove, (void), {
    var dialog = Module.orreryDialog;
    if (!dialog) return;
    document.removeEventListener('keydown', dialog.keys);
    dialog.form.remove();
    Module.orreryDialog = null;
});

EM_JS(int, WebPageWidth, (void), { return window.innerWidth; });
EM_JS(int, WebPageHeight, (void), { return window.innerHeight; });

namespace platform {
namespace {

enum class DialogInput { Click, Cancel, Return };

struct DialogEvent {
    DialogInput input;
    int id;
};

// What the page's listeners queued, in order, until the modal loop takes it.
std::deque<DialogEvent> pending;

class HtmlDialog : public DialogView {
public:
    explicit HtmlDialog(DialogState& state) : state_(state) {}

    void CheckChanged(int id, bool checked) override { WebDialogSetChecked(id, checked ? 1 : 0); }
    void Moved(const DialogRect& rect) override {
        WebDialogPlace(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
    bool Shown() const { return shown_; }

    // Shows the form and runs its events until the dialog ends; false when there is no #setup,
    // or the form left the page before the dialog ended.
    bool Run() {
        shown_ = WebDialogShow(DialogFormHtml(state_).c_str()) != 0;
        if (!shown_) return false;
        const std::vector<DialogControl>& controls = state_.Template().controls;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const DialogBitmap& picture = controls[i].picture;
            if (controls[i].kind == ControlKind::SunkenPicture && picture.rgb)
                WebDialogPicture(static_cast<int>(i), picture.rgb, picture.width, picture.height);
        }
        pending.clear();
        bool present = true;
        while (!state_.Ended() && present) {
            web::YieldUntil([&] { return !pending.empty() || !(present = WebDialogPresent() != 0); });
            while (!pending.empty() && !state_.Ended()) {
                const DialogEvent event = pending.front();
                pending.pop_front();
                Handle(event);
            }
        }
        if (!present && !state_.Ended()) state_.Cancel();  // as the close box would
        WebDialogRemove();
        pending.clear();
        return state_.Ended();
    }

private:
    void Handle(const DialogEvent& event) {
        switch (event.input) {
        case DialogInput::Click:
            // The page has already changed the input; the state decides and the input follows it.
            state_.Click(event.id);
            if (state_.HasControl(event.id)) CheckChanged(event.id, state_.IsChecked(event.id));
            break;
        case DialogInput::Cancel: state_.Cancel(); break;
        case DialogInput::Return: state_.PressReturn(); break;
        }
    }

    DialogState& state_;
    bool shown_ = false;
};

}  // namespace

std::intptr_t DialogBoxParam(const DialogTemplate& dialogTemplate, void*, DialogProc proc, DialogLParam lParam) {
    if (!proc || dialogTemplate.width <= 0 || dialogTemplate.height <= 0) {
        std::fprintf(stderr, "dialog \"%s\": no procedure or an empty template\n", dialogTemplate.caption.c_str());
        return -1;
    }
    SetScreenSize(WebPageWidth(), WebPageHeight());

    DialogState state(dialogTemplate);
    HtmlDialog view(state);
    state.SetView(&view);
    state.Start(proc, lParam);
    const bool ended = state.Ended() || view.Run();
    state.SetView(nullptr);
    if (!ended) {
        std::fprintf(stderr, "dialog \"%s\": %s\n", dialogTemplate.caption.c_str(),
                     view.Shown() ? "the form left the page before the dialog ended" : "the page has no #setup");
        return -1;
    }
    return state.Result();
}

}  // namespace platform

// Called by the page's listeners: kind 0 a click on control id, 1 Esc, 2 Return.
extern "C" EMSCRIPTEN_KEEPALIVE void orrery_dialog_event(int kind, int id) {
    using platform::DialogInput;
    const DialogInput input = kind == 0 ? DialogInput::Click : kind == 1 ? DialogInput::Cancel : DialogInput::Return;
    platform::pending.push_back({input, id});
}
