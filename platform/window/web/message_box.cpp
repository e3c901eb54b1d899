// ShowMessageBox in the browser: the box is appended to the page's #messages as
//   <div class="message-box" role="alertdialog" data-icon="error|warning">
//     <h2 class="caption">…</h2><pre class="text">…</pre><button type="button">OK</button></div>
// and {caption, text} is pushed onto orrery.messages. The calling fiber yields until OK is
// clicked (or Enter / Esc is pressed in the box), then the box is removed. A page in full screen
// leaves it first, as the box is not part of the stage.
#include "platform/window/message_box.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <set>

#include "platform/thread/web/cooperative.h"

// Appends box number box; 0 when the page has no #messages.
EM_JS(int, WebShowMessageBox, (int box, const char* caption, const char* text, int error), {
    var list = document.getElementById('messages');
    if (!list) return 0;
    if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(function() {});
    var element = document.createElement('div');
    element.className = 'message-box';
    element.setAttribute('role', 'alertdialog');
    element.dataset.icon = error ? 'error' : 'warning';
    var heading = document.createElement('h2');
    heading.className = 'caption';
    heading.textContent = UTF8ToString(caption);
    var body = document.createElement('pre');
    body.className = 'text';
    body.textContent = UTF8ToString(text);
    var ok = document.createElement('button');
    ok.type = 'button';
    ok.textContent = 'OK';
    var done = false;
    var dismiss = function() {
        if (done) return;
        done = true;
        _orrery_message_box_dismissed(box);
    };
    ok.addEventListener('click', dismiss);
    element.addEventListener('keydown', function(event) {
        if (event.key !== 'Enter' && event.key !== 'Escape') return;
        event.preventDefault();
        dismiss();
    });
    element.append(heading, body, ok);
    list.appendChild(element);
    ok.focus();
    (Module.orreryMessageBoxes || (Module.orreryMessageBoxes = {}))[box] = element;
    if (globalThis.orrery && Array.isArray(globalThis.orrery.messages))
        globalThis.orrery.messages.push({caption: heading.textContent, text: body.textContent});
    return 1;
});

EM_JS(void, WebRemoveMessageBox, (int box), {
    var boxes = Module.orreryMessageBoxes;
    if (!boxes || !boxes[box]) return;
    boxes[box].remove();
    delete boxes[box];
});

namespace platform {
namespace {

// Boxes whose OK was clicked, until their callers notice.
std::set<int> dismissed;
int nextBox = 1;

}  // namespace

bool ShowMessageBox(Window* owner, const char* caption, const char* text, MessageIcon icon) {
    if (owner && owner->IsHeadless()) return false;
    const int box = nextBox++;
    if (!WebShowMessageBox(box, caption ? caption : "", text ? text : "", icon == MessageIcon::Error)) {
        std::fprintf(stderr, "message_box: \"%s\" could not be shown: the page has no #messages\n",
                     caption ? caption : "");
        return false;
    }
    web::YieldUntil([box] { return dismissed.count(box) != 0; });
    dismissed.erase(box);
    WebRemoveMessageBox(box);
    return true;
}

}  // namespace platform

// Called by the page when a box's OK is clicked; the waiting fiber picks it up.
extern "C" EMSCRIPTEN_KEEPALIVE void orrery_message_box_dismissed(int box) { platform::dismissed.insert(box); }
