// The orrery3d program: the application on its window, until Esc or its own end.
#include "app/placeholder/placeholder_app.h"

int main() {
    PlaceholderApp app;
    int result = 0;
    if (app.Startup(nullptr, " P r o j e c t   K a e d e    b y   K e s t r e l  L o o m"))
        result = app.RunMessageLoop();
    return result;
}
