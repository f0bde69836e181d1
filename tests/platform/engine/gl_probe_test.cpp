#include "platform/engine/gl_probe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

namespace fs = std::filesystem;
using quova::testing::TempDir;

void Write(const fs::path& file, const std::string& text, bool executable = false) {
    std::ofstream(file, std::ios::binary) << text;
    if (executable) ::chmod(file.c_str(), 0755);
}

TEST(GlProbe, OnlyADrmDeviceNodeCountsAsAGpu) {
    TempDir dri;
    EXPECT_FALSE(HasRenderNode(dri / "missing"));
    EXPECT_FALSE(HasRenderNode(dri.path()));
    Write(dri / "by-path", "");
    EXPECT_FALSE(HasRenderNode(dri.path()));
    Write(dri / "renderD128", "");
    EXPECT_TRUE(HasRenderNode(dri.path()));
    TempDir cards;
    Write(cards / "card0", "");
    EXPECT_TRUE(HasRenderNode(cards.path()));
}

TEST(GlProbe, AnswersAreRememberedPerDisplayAndDamageIsIgnored) {
    TempDir dir;
    const fs::path cache = dir / "quova" / "gl-renderers";
    EXPECT_FALSE(CachedGlRenderer(cache, ":0 renderD128"));
    RememberGlRenderer(cache, ":0 renderD128", "AMD Radeon RX 6600 (radeonsi)");
    RememberGlRenderer(cache, ":1 renderD128", "");
    EXPECT_EQ(CachedGlRenderer(cache, ":0 renderD128"), "AMD Radeon RX 6600 (radeonsi)");
    EXPECT_EQ(CachedGlRenderer(cache, ":1 renderD128"), "") << "no GL is an answer too";
    EXPECT_FALSE(CachedGlRenderer(cache, ":0 renderD128 renderD129")) << "a new device asks again";
    RememberGlRenderer(cache, ":0 renderD128", "llvmpipe");
    EXPECT_EQ(CachedGlRenderer(cache, ":0 renderD128"), "llvmpipe");
    EXPECT_EQ(CachedGlRenderer(cache, ":1 renderD128"), "");

    // A key or a name with a line break cannot add lines of its own.
    RememberGlRenderer(cache, ":2\n:0 renderD128\tforged", "x\ny");
    EXPECT_EQ(CachedGlRenderer(cache, ":0 renderD128"), "llvmpipe");

    // Lines without a tab and binary junk are skipped; a huge file is not read.
    Write(cache, "junk\n\x01\x02\n:0 renderD128\tIntel\n");
    EXPECT_EQ(CachedGlRenderer(cache, ":0 renderD128"), "Intel");
    Write(cache, std::string(100 * 1024, 'x') + "\n:0 renderD128\tIntel\n");
    EXPECT_FALSE(CachedGlRenderer(cache, ":0 renderD128"));
}

TEST(GlProbe, TheProbesFirstLineIsTheRendererAndAFailureIsNone) {
    TempDir dir;
    Write(dir / "gpu", "#!/bin/sh\necho 'AMD Radeon RX 6600 (radeonsi)'\necho more\n", true);
    EXPECT_EQ(AskGlRenderer(dir / "gpu", 5000), "AMD Radeon RX 6600 (radeonsi)");
    Write(dir / "none", "#!/bin/sh\necho partial\nexit 1\n", true);
    EXPECT_EQ(AskGlRenderer(dir / "none", 5000), "");
    Write(dir / "hangs", "#!/bin/sh\nexec sleep 30\n", true);
    EXPECT_EQ(AskGlRenderer(dir / "hangs", 200), "") << "a probe that hangs is no answer";
    EXPECT_EQ(AskGlRenderer(dir / "absent", 5000), "");
    EXPECT_EQ(AskGlRenderer({}, 5000), "");
}

}  // namespace
}  // namespace quova::engine
