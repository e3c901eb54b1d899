#include "show/demo_app.h"

#include <new>

#include "app/error_reporter.h"
#include "app/frame_timer.h"
#include "audio/music_player.h"
#include "platform/window/shell_window.h"
#include "render/render_device.h"
#include "show/frame_rate.h"

namespace {

// Process-wide, like the frame timer it reads.
FrameRateMeter frameRate;

// Creates one scene and loads it; an absent maker or a scene that could not be made leaves the
// slot empty and counts as a failed load. Running out of memory is such a failure too: in the
// constructor it leaves the slot empty, in Load the scene keeps what it made before.
HRESULT CreateAndLoad(const SceneFactory::Make& make, std::unique_ptr<Scene>& slot) {
    try {
        slot = make ? make() : nullptr;
    } catch (const std::bad_alloc&) {
        slot.reset();
        return E_OUTOFMEMORY;
    }
    if (!slot) return E_FAIL;
    try {
        return slot->Load();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

SceneFactory SceneFactory::ShowScenes() {
    SceneFactory factory;
    for (const ShowSceneRow& row : kShowScenes) factory[row.scene] = row.make;
    return factory;
}

DemoApp::DemoApp() : DemoApp(SceneFactory::ShowScenes()) {}

DemoApp::DemoApp(SceneFactory factory) : factory_(std::move(factory)) {}

DemoApp::~DemoApp() { StopWorker(); }

bool DemoApp::Configure(DisplaySettings& displaySettings) {
    if (!ShowSetupDialog(choices, GetWindow())) return false;
    ApplySetupChoices(choices, displaySettings);
    return true;
}

bool DemoApp::AfterWindow() { return true; }

void DemoApp::Shutdown() {
    for (ShowScene which : kShutdownOrder) scenes[com::EnumIndex(which)].reset();
}

HRESULT DemoApp::CreateScenes(const std::function<void()>& introFailed) {
    HRESULT introResult = S_OK;
    for (ShowScene which : kLoadOrder) {
        const HRESULT result = CreateAndLoad(factory_[which], scenes[com::EnumIndex(which)]);
        if (which != ShowScene::Intro) continue;  // the other results are not examined
        // The intro's failure is handled at once: the later scenes' loaders would overwrite the
        // file name its loader left in the error reporter's detail.
        introResult = result;
        if (FAILED(introResult) && introFailed) introFailed();
    }
    return introResult;
}

Scene* DemoApp::SceneOf(ShowScene which) const {
    if (com::EnumIndex(which) >= kShowSceneCount) return nullptr;
    return scenes[com::EnumIndex(which)].get();
}

SceneSelection DemoApp::RenderScenes(float t) {
    const SceneSelection selection = ScenesAt(t);
    for (ShowScene which : selection)
        if (Scene* scene = SceneOf(which)) scene->Render(t);
    return selection;
}

void DemoApp::DrawLoadingFrame() {
    RenderDevice& device = RenderDevice::Instance();
    const auto bottom = static_cast<float>(settings.height - 80);
    device.BeginFrame(true);
    device.Clear(0xFF101010);
    font->DrawText(1.0f, bottom, 0xC8FFFFFF, "Loading demo please wait...", 0);
    font->DrawText(static_cast<float>(settings.width - 40), bottom, 0xC8FFFFFF, "v.1.00b", 0);
    device.EndFrame();
}

void DemoApp::Run() {
    const HWND owner = GetWindow();
    ErrorReporter& reporter = ErrorReporter::Instance();
    RenderDevice& device = RenderDevice::Instance();

    // The device, with a letterbox that leaves 50-pixel bands at the top and bottom.
    if (FAILED(device.Initialize(owner, settings, 0, 50, settings.width, settings.height - 100)))
        reporter.Report(owner, MessageCode::kDirect3DInit, Severity::kError);
    device.ApplyViewport(true);

    // The font and the loading screen.
    font = std::make_unique<TextRenderer>("Arial", 8, FontFlags::kPlain);
    if (FAILED(font->Init())) reporter.Report(owner, MessageCode::kFontInit, Severity::kError);
    DrawLoadingFrame();

    // The scenes; only the intro's failure stops the show.
    CreateScenes([&] { reporter.Report(owner, MessageCode::kBitmapLoad, Severity::kError); });

    // The music; a missing soundtrack is an error, other playback problems are silent.
    MusicPlayer& music = MusicPlayer::Instance();
    if (FAILED(music.Initialize())) reporter.Report(owner, MessageCode::kMusicInit, Severity::kError);
    const int played = music.Play(0);
    // Play answers 1 when the soundtrack is missing: an error.
    if (played == 1) reporter.Report(owner, MessageCode::kMusicPlay, Severity::kError);

    // The frame loop: no limiter, the show's clock drives everything; the frame that reaches
    // the show's length is the last.
    const auto start = static_cast<float>(FrameTimer(AbsoluteTime));
    playing_ = true;
    while (running) {
        if (IDirect3DDevice8* d3d = device.GetDevice()) d3d->TestCooperativeLevel();
        showTime = static_cast<float>(FrameTimer(AbsoluteTime) - static_cast<double>(start));
        platform::NoteFrameTime(showTime);
        frameRate.Tick(FrameTimer(AbsoluteTime), framesPerSecond);
        device.BeginFrame(false);
        RenderScenes(showTime);
        device.EndFrame();
        if (ShowIsOver(showTime)) running = false;
    }
    playing_ = false;

    music.Stop();
}
