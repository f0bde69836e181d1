#include "platform/engine/video_output.h"

#include <gtest/gtest.h>

namespace quova::engine {
namespace {

TEST(VideoOutput, TheSinkFollowsWhatTheDisplayOffers) {
    // No X server (offscreen, Wayland without XWayland): the painted image.
    EXPECT_EQ(ChooseVideoOutput({false, true, "NVIDIA GeForce"}), VideoOutput::Image);
    // An XVideo port wins, GPU or not.
    EXPECT_EQ(ChooseVideoOutput({true, true, "Mesa Intel(R) UHD Graphics"}), VideoOutput::XVideo);
    EXPECT_EQ(ChooseVideoOutput({true, true, ""}), VideoOutput::XVideo);
    // A real GPU without XVideo: GL.
    EXPECT_EQ(ChooseVideoOutput({true, false, "AMD Radeon RX 6600 (radeonsi)"}), VideoOutput::Gl);
    // A software rasteriser counts as no GPU (Xvfb, virtual machines).
    EXPECT_EQ(ChooseVideoOutput({true, false, "llvmpipe (LLVM 15.0.6, 256 bits)"}),
              VideoOutput::Image);
    EXPECT_EQ(ChooseVideoOutput({true, false, "Software Rasterizer"}), VideoOutput::Image);
    EXPECT_EQ(ChooseVideoOutput({true, false, "softpipe"}), VideoOutput::Image);
    EXPECT_EQ(ChooseVideoOutput({true, false, ""}), VideoOutput::Image);
}

TEST(VideoOutput, SinkNames) {
    EXPECT_STREQ(VideoOutputName(VideoOutput::Image), "QImage");
    EXPECT_STREQ(VideoOutputName(VideoOutput::XVideo), "xvimagesink");
    EXPECT_STREQ(VideoOutputName(VideoOutput::Gl), "glimagesink");
}

}  // namespace
}  // namespace quova::engine
