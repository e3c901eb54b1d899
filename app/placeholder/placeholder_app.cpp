#include "app/placeholder/placeholder_app.h"

#include "app/error_reporter.h"
#include "fx/text_renderer.h"
#include "render/render_device.h"

PlaceholderApp::PlaceholderApp() = default;

PlaceholderApp::~PlaceholderApp() {
    // Run uses the font: the worker must be gone before it is.
    StopWorker();
}

bool PlaceholderApp::Configure(DisplaySettings& displaySettings) {
    displaySettings = DisplaySettings{640, 480, 0, 0, 1, 0};
    return true;
}

void PlaceholderApp::Run() {
    HWND owner = GetWindow();
    RenderDevice& device = RenderDevice::Instance();
    if (FAILED(device.Initialize(owner, settings, 0, 50, settings.width, settings.height - 100)))
        ErrorReporter::Instance().Report(owner, 1, 1);
    device.ApplyViewport(true);

    font_ = std::make_unique<TextRenderer>("Arial", 8, 4);
    if (FAILED(font_->Init())) ErrorReporter::Instance().Report(owner, 4, 1);

    while (running) {
        DrawLoadingFrame();
        ++frames_;
    }
    // Release the font's device objects here, on the thread that renders.
    font_->Release();
}

void PlaceholderApp::DrawLoadingFrame() {
    RenderDevice& device = RenderDevice::Instance();
    const auto bottom = static_cast<float>(settings.height - 80);
    device.BeginFrame(true);
    device.Clear(0xFF101010);
    font_->DrawText(1.0f, bottom, 0xC8FFFFFF, "Loading demo please wait...", 0);
    font_->DrawText(static_cast<float>(settings.width - 40), bottom, 0xC8FFFFFF, "v.1.00b", 0);
    device.EndFrame();
}
