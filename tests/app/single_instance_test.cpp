#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <cstring>

#include "tests/app/instance_server.h"
#include "tests/app/qt_support.h"
#include "tests/support/temp_dir.h"

namespace quova {
namespace {

using State = HandOverDecoder::State;

TEST(HandOverProtocol, RequestIsLengthAndNameAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(EncodeHandOver("ab"), std::string("\x00\x02"
                                                "ab",
                                                4));
    EXPECT_FALSE(EncodeHandOver(""));
    EXPECT_TRUE(EncodeHandOver(std::string(512, 'x')));
    EXPECT_FALSE(EncodeHandOver(std::string(513, 'x')));
}

TEST(HandOverProtocol, DecoderTakesPiecesAndRejectsBrokenRequests) {
    const std::string request = *EncodeHandOver("/home/u/a b.avi");
    HandOverDecoder pieces;
    for (char c : request.substr(0, request.size() - 1))
        EXPECT_EQ(pieces.Feed(std::string(1, c)), State::NeedMore);
    EXPECT_EQ(pieces.Feed(request.substr(request.size() - 1)), State::Complete);
    EXPECT_EQ(pieces.name(), "/home/u/a b.avi");

    HandOverDecoder zero;
    EXPECT_EQ(zero.Feed(std::string("\x00\x00", 2)), State::Invalid);
    HandOverDecoder huge;
    EXPECT_EQ(huge.Feed(std::string("\x02\x01", 2)), State::Invalid);  // 513
    HandOverDecoder trailing;
    EXPECT_EQ(trailing.Feed(request + "x"), State::Invalid);
    HandOverDecoder after;
    EXPECT_EQ(after.Feed(request), State::Complete);
    EXPECT_EQ(after.Feed("more"), State::Invalid);
}

TEST(SingleInstance, RunningInstanceTakesTheNameAndAnswers) {
    testing::App();
    testing::TempDir dir;
    const std::string path = (dir / "instance").string();
    EXPECT_FALSE(HandOverToRunningInstance(path, "/tmp/a.avi")) << "nobody listens yet";

    testing::InstanceThread instance(path);
    ASSERT_TRUE(instance.listening());
    // Only this user may connect.
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);

    EXPECT_TRUE(HandOverToRunningInstance(path, "/tmp/a.avi"));
    EXPECT_TRUE(HandOverToRunningInstance(path, "/tmp/caf\xC3\xA9 b.ogg"));
    EXPECT_FALSE(HandOverToRunningInstance(path, std::string(600, 'x')));
    EXPECT_EQ(instance.names(2),
              (std::vector<std::string>{"/tmp/a.avi", "/tmp/caf\xC3\xA9 b.ogg"}));

    // A second server does not take the live one's place.
    InstanceServer second;
    EXPECT_FALSE(second.Listen(path));
}

// A second start is answered once the name is taken, not once it is open: an
// open that fails shows a box, and the second process (started by a file
// manager or a launcher) must not wait for the user to close it.
TEST(SingleInstance, TheSenderIsAnsweredBeforeTheOpenFinishes) {
    testing::App();
    testing::TempDir dir;
    const std::string path = (dir / "instance").string();
    QSemaphore userClosesTheBox;
    testing::InstanceThread instance(path, &userClosesTheBox);
    ASSERT_TRUE(instance.listening());
    EXPECT_TRUE(HandOverToRunningInstance(path, "/tmp/broken.avi", 3000));
    EXPECT_TRUE(instance.names().empty());
    userClosesTheBox.release();
    EXPECT_EQ(instance.names(1), std::vector<std::string>{"/tmp/broken.avi"});
}

TEST(SingleInstance, StaleSocketOfADeadInstanceDoesNotBlockStarting) {
    testing::App();
    testing::TempDir dir;
    const std::string path = (dir / "instance").string();
    // What a crashed instance leaves: a bound socket file nobody listens on.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));

    EXPECT_FALSE(HandOverToRunningInstance(path, "/tmp/a.avi"));
    testing::InstanceThread instance(path);
    EXPECT_TRUE(instance.listening());
    EXPECT_TRUE(HandOverToRunningInstance(path, "/tmp/a.avi"));
}

TEST(SingleInstance, NamesGoOnlyToASocketOfThisUser) {
    testing::App();
    testing::TempDir dir;
    const std::string path = (dir / "instance").string();
    testing::WriteFile(path, "not a socket");
    EXPECT_FALSE(IsOwnSocket(path));
    EXPECT_FALSE(HandOverToRunningInstance(path, "/tmp/a.avi"));
    std::filesystem::remove(path);

    testing::InstanceThread instance(path);
    ASSERT_TRUE(instance.listening());
    EXPECT_TRUE(IsOwnSocket(path));
    // A link planted in the socket's place is not the socket, wherever it points.
    const std::string link = (dir / "link").string();
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    EXPECT_FALSE(IsOwnSocket(link));
    EXPECT_FALSE(HandOverToRunningInstance(link, "/tmp/a.avi"));
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(HandOverToRunningInstance(path, "/tmp/a.avi"));
    }
    EXPECT_TRUE(instance.names().empty());
}

TEST(SingleInstance, MalformedRequestsAreRefusedAndIdleClientsDropped) {
    testing::App();
    testing::TempDir dir;
    const std::string path = (dir / "instance").string();
    testing::InstanceThread instance(path);
    ASSERT_TRUE(instance.listening());
    for (const std::string& bad : {std::string("\x00\x00", 2), std::string("\x02\x01xx", 4),
                                   *EncodeHandOver("/tmp/a.avi") + "junk"}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(path));
        ASSERT_TRUE(client.waitForConnected(3000));
        client.write(bad.data(), static_cast<qint64>(bad.size()));
        EXPECT_TRUE(client.waitForDisconnected(3000)) << "hung up";
        EXPECT_TRUE(client.readAll().isEmpty()) << "without an answer";
    }
    EXPECT_TRUE(instance.names().empty());

    // Half a request, then silence: dropped after five seconds, not before.
    QLocalSocket idle;
    idle.connectToServer(QString::fromStdString(path));
    ASSERT_TRUE(idle.waitForConnected(3000));
    idle.write(EncodeHandOver("/tmp/a.avi")->substr(0, 5).c_str(), 5);
    EXPECT_FALSE(idle.waitForDisconnected(4000));
    EXPECT_TRUE(idle.waitForDisconnected(4000));
    EXPECT_TRUE(instance.names().empty());
    EXPECT_TRUE(HandOverToRunningInstance(path, "/tmp/b.avi")) << "the server still serves";
}

}  // namespace
}  // namespace quova
