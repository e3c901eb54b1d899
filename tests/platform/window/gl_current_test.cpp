#include "platform/window/gl_current.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/window/headless_window.h"

namespace {

// A context made on a thread that ends can be taken over by another thread only if that
// thread let go of it first.
TEST(ReleaseCurrentGlContext, LetsAnotherThreadTakeTheContextOver) {
    platform::HeadlessWindow window(64, 64);
    std::unique_ptr<platform::GlContext> released, kept;
    std::thread renderer([&] {
        released = window.CreateGlContext(platform::GlProfile::Default);
        kept = window.CreateGlContext(platform::GlProfile::Default);  // now current instead
        if (!released || !kept) return;
        ASSERT_TRUE(released->MakeCurrent());
        platform::ReleaseCurrentGlContext();
    });
    renderer.join();
    if (!released || !kept) GTEST_SKIP() << "no headless OpenGL here";
    EXPECT_TRUE(released->MakeCurrent());
    platform::ReleaseCurrentGlContext();
    platform::ReleaseCurrentGlContext();  // nothing current: harmless
}

}  // namespace
