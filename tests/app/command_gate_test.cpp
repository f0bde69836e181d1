#include "app/command_gate.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace quova {
namespace {

// What arrives while a command is under way (inside its waits) runs after it,
// in the order it came, and before the outermost Run returns.
TEST(CommandGate, CommandsArrivingDuringACommandRunAfterItInOrder) {
    CommandGate gate;
    std::string log;
    gate.Run([&] {
        log += "seek(";
        EXPECT_TRUE(gate.Busy());
        gate.Run([&] { log += "open "; });
        gate.Run([&] {
            log += "handover ";
            gate.Run([&] { log += "nested "; });
        });
        EXPECT_EQ(gate.Queued(), 2u);
        log += ") ";
    });
    EXPECT_EQ(log, "seek() open handover nested ");
    EXPECT_FALSE(gate.Busy());
    EXPECT_EQ(gate.Queued(), 0u);
    gate.Run([&] { log += "later"; });
    EXPECT_EQ(log, "seek() open handover nested later");
}

TEST(CommandGate, AThrowingCommandFreesTheGateAndKeepsWhatWasQueued) {
    CommandGate gate;
    std::string log;
    EXPECT_THROW(gate.Run([&] {
        gate.Run([&] { log += "queued "; });
        throw std::runtime_error("boom");
    }),
                 std::runtime_error);
    EXPECT_FALSE(gate.Busy());
    gate.Run([&] { log += "next"; });
    EXPECT_EQ(log, "queued next");
}

}  // namespace
}  // namespace quova
