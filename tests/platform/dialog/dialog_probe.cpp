// dialog-probe OUTPUT [WIDGETS]: shows the setup dialog and writes the answer and the choices to
// OUTPUT, and a second line if the dialog left other X error handlers in place than it found.
// With WIDGETS, it also writes there the dialog's widgets as they stood after the last event the
// window handled, one line each: class, type, value, active and label.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <X11/Xlib.h>

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <typeinfo>

#include "app/setup_dialog.h"

namespace {
int ProbeXError(Display*, XErrorEvent*) { return 0; }
int ProbeXIOError(Display*) { return 0; }

std::string ClassName(const Fl_Widget& widget) {
    const char* mangled = typeid(widget).name();
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const std::string result = status == 0 ? name : mangled;
    std::free(name);
    return result;
}

// A label on one line: line breaks written as \n.
std::string OneLine(const char* label) {
    std::string text = label ? label : "";
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.replace(at, 1, "\\n");
    return text;
}

std::string widgets;

// Hands the event on as FLTK would, then notes what the window's widgets show.
int NoteWidgets(int event, Fl_Window* window) {
    const int handled = Fl::handle_(event, window);
    if (Fl_Window* dialog = Fl::first_window()) {
        widgets.clear();
        for (int i = 0; i < dialog->children(); ++i) {
            const Fl_Widget& w = *dialog->child(i);
            const auto* button = dynamic_cast<const Fl_Button*>(&w);
            widgets += ClassName(w) + " type " + std::to_string(w.type()) + " value " +
                       std::to_string(button ? button->value() : 0) + " active " + std::to_string(w.active() ? 1 : 0) +
                       " " + OneLine(w.label()) + "\n";
        }
    }
    return handled;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: dialog-probe OUTPUT [WIDGETS]\n");
        return 2;
    }
    XSetErrorHandler(ProbeXError);
    XSetIOErrorHandler(ProbeXIOError);
    if (argc == 3) Fl::event_dispatch(NoteWidgets);
    SetupChoices choices;
    const bool run = ShowSetupDialog(choices, nullptr);
    const bool kept = XSetErrorHandler(nullptr) == ProbeXError && XSetIOErrorHandler(nullptr) == ProbeXIOError;
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "run %d highPriority %d resolutionIndex %d antialias %d fullscreen %d colour32 %d\n", run ? 1 : 0,
                 choices.highPriority, choices.resolutionIndex, choices.antialias, choices.fullscreen, choices.colour32);
    if (!kept) std::fprintf(out, "X error handlers replaced\n");
    std::fclose(out);
    if (argc == 3) {
        std::FILE* list = std::fopen(argv[2], "w");
        if (!list) {
            std::perror(argv[2]);
            return 1;
        }
        std::fputs(widgets.c_str(), list);
        std::fclose(list);
    }
    return 0;
}
