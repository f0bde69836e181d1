#include "playback/media_events.h"

#include <gtest/gtest.h>

#include "graph/graph_state.h"
#include "platform/engine/filter_graph.h"
#include "playback/player_session.h"
#include "tests/support/fake_ui.h"
#include "tests/support/subtitle_media.h"
#include "tests/support/temp_dir.h"
#include "text/osd.h"

namespace quova {
namespace {

using namespace engine;

// The end of the stream, an error and the user's abort all end the medium;
// only the last two leave a code, which tells the tick that what was written
// is cut short.
TEST(MediaEvents, AnErrorOrAnAbortEndsTheMediumWithACodeTheEndOfTheStreamWithNone) {
    PlayerSession session;
    testing::FakeUi ui{session};
    GraphSession& g = session.graph;
    g.GraphBuilder = std::make_unique<FilterGraph>();
    g.MediaComplete = false;
    g.MediaError = S_OK;
    g.GraphBuilder->Events().Post({EC_COMPLETE, S_OK, 0});
    HandleMediaEvents(session);
    EXPECT_TRUE(g.MediaComplete);
    EXPECT_EQ(g.MediaError, S_OK);

    g.MediaComplete = false;
    g.GraphBuilder->Events().Post({EC_ERRORABORT, E_ABORT, 0});
    HandleMediaEvents(session);
    EXPECT_TRUE(g.MediaComplete);
    EXPECT_EQ(g.MediaError, E_ABORT);

    // The user closing the picture's window ends the medium cut short too:
    // an extraction must not take what was written for the whole.
    g.MediaComplete = false;
    g.MediaError = S_OK;
    g.GraphBuilder->Events().Post({EC_USERABORT, 0, 0});
    HandleMediaEvents(session);
    EXPECT_TRUE(g.MediaComplete);
    EXPECT_TRUE(Failed(g.MediaError));
    g.GraphBuilder.reset();
    g.MediaComplete = false;
    g.MediaError = S_OK;
}

// A file announcing thousands of streams plays the first ones, each with a
// queue and a thread, and the user is told how many were left out.
TEST(MediaEvents, AFileOfThousandsOfStreamsTellsHowManyItLeftOut) {
    PlayerSession session;
    testing::FakeUi ui{session};
    testing::TempDir dir;
    testing::WriteMatroskaWithSubtitleTrack(dir / "many.mkv", "S_TEXT/UTF8", {{0.5, 1.0, "one"}},
                                            2.0, 2007);
    GraphSession& g = session.graph;
    g.GraphBuilder = std::make_unique<FilterGraph>();
    g.GraphBuilder->RenderFile((dir / "many.mkv").string());
    session.osdMessage.clear();
    HandleMediaEvents(session);
    EXPECT_EQ(session.osdMessage, "too many streams in this file: 1879 left out");
    g.GraphBuilder.reset();
}

}  // namespace
}  // namespace quova
