// The shared pixel helpers: a read-back of the wrong size or without a device must fail the test
// that asked for it, and still hand over a frame its checks can index.
#include "tests/common/read_back.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/com/com_ptr.h"
#include "platform/window/headless_window.h"
#include "tests/common/channel.h"
#include "tests/platform/gpu/present_parameters.h"

namespace testpixels {
namespace {

TEST(ChannelTest, EachShiftTakesItsOwnByte) {
    constexpr std::uint32_t kColour = 0x80C01F07;
    EXPECT_EQ(Channel(kColour, 24), 0x80);
    EXPECT_EQ(Channel(kColour, 16), 0xC0);
    EXPECT_EQ(Channel(kColour, 8), 0x1F);
    EXPECT_EQ(Channel(kColour, 0), 0x07);
}

class ReadBackTest : public ::testing::Test {
protected:
    void SetUp() override {
        d3d_ = ComPtr<IDirect3D8>(Direct3DCreate8(D3D_SDK_VERSION));
        ASSERT_TRUE(d3d_);
        D3DPRESENT_PARAMETERS pp = devicetest::PresentParameters(8, 4);
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &window_, D3DCREATE_MIXED_VERTEXPROCESSING,
                                     &pp, device_.Receive()),
                  S_OK);
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0), S_OK);
    }

    platform::HeadlessWindow window_{8, 4};
    ComPtr<IDirect3D8> d3d_;
    ComPtr<IDirect3DDevice8> device_;
};

TEST_F(ReadBackTest, TheRightSizeGivesTheBackBufferTopRowFirst) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), S_OK);
    D3DRECT top{0, 0, 8, 1};
    ASSERT_EQ(device_->Clear(1, &top, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), S_OK);
    const Frame frame = ReadBack(device_.Get(), 8, 4);
    EXPECT_EQ(frame.width, 8u);
    EXPECT_EQ(frame.height, 4u);
    ASSERT_EQ(frame.pixels.size(), 32u);
    EXPECT_EQ(frame.At(7, 0), 0xFFFF0000u);
    EXPECT_EQ(frame.At(7, 1), 0xFF0000FFu);
    EXPECT_EQ(frame.At(0, 3), 0xFF0000FFu);
}

TEST_F(ReadBackTest, AnotherSizeFailsAndGivesAFilledFrameOfTheSizeAsked) {
    Frame frame;
    EXPECT_NONFATAL_FAILURE(frame = ReadBack(device_.Get(), 8, 5), "read-back height");
    EXPECT_EQ(frame.width, 8u);
    EXPECT_EQ(frame.height, 5u);
    ASSERT_EQ(frame.pixels.size(), 40u);
    EXPECT_EQ(frame.At(7, 4), 0xDEADBEEFu);
    EXPECT_EQ(frame.At(0, 0), 0xDEADBEEFu) << "no pixel of the wrong picture is kept";
    EXPECT_NONFATAL_FAILURE(frame = ReadBack(device_.Get(), 16, 4), "read-back width");
}

TEST(ReadBackWithoutDeviceTest, FailsAndGivesAnEmptyFrame) {
    Frame frame;
    EXPECT_NONFATAL_FAILURE(frame = ReadBack(nullptr), "no device");
    EXPECT_TRUE(frame.pixels.empty());
}

}  // namespace
}  // namespace testpixels
