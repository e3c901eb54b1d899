// The orrery3d program: the setup dialog, then the show in its window until Esc or its end.
#include "show/demo_app.h"

int main() {
    DemoApp app;
    int result = 0;
    if (app.Startup(nullptr, " P r o j e c t   K a e d e    b y   K e s t r e l  L o o m"))
        result = app.RunMessageLoop();
    return result;
}
