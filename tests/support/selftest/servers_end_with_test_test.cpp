#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/http_server.h"
#include "tests/support/sound_server.h"
#include "tests/support/temp_dir.h"

namespace quova::testing {
namespace {

bool Accepts(int family, const sockaddr* address, socklen_t length) {
    const int s = ::socket(family, SOCK_STREAM, 0);
    if (s < 0) return false;
    const bool connected = ::connect(s, address, length) == 0;
    ::close(s);
    return connected;
}

bool HttpAccepts(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return Accepts(AF_INET, reinterpret_cast<sockaddr*>(&a), sizeof a);
}

bool SocketAccepts(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    return Accepts(AF_UNIX, reinterpret_cast<sockaddr*>(&a), sizeof a);
}

template <typename Predicate>
bool Within(std::chrono::milliseconds limit, Predicate done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// A test program killed in the middle of a test (a crash, ctest's time
// limit) runs no destructor: the servers it started must go all the same.
TEST(TestServers, EndWhenTheTestProgramIsKilled) {
    TempDir folder;
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        HttpServer http(folder.path());
        PrivateSoundServer sound(
            std::vector<std::pair<std::string, std::string>>{{"quova_test", "Test"}});
        std::ostringstream said;
        said << (http.Running() ? http.Port() : 0) << ' '
             << (sound.Running() ? std::getenv("PULSE_SERVER") + 5 : "-") << '\n';
        const std::string line = said.str();
        if (::write(pipeEnds[1], line.data(), line.size()) < 0) ::_exit(2);
        ::raise(SIGKILL);
    }
    ::close(pipeEnds[1]);
    std::string line;
    char c;
    while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::istringstream fields(line);
    int port = 0;
    std::string socketPath;
    fields >> port >> socketPath;
    ASSERT_GT(port, 0) << "the HTTP server did not start";
    EXPECT_TRUE(Within(std::chrono::seconds(5), [port] { return !HttpAccepts(port); }))
        << "the HTTP server outlived its test program";
    if (socketPath == "-") GTEST_SKIP() << "no sound server to check";
    EXPECT_TRUE(Within(std::chrono::seconds(5), [&] { return !SocketAccepts(socketPath); }))
        << "the sound server outlived its test program";
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(socketPath).parent_path(), ec);
}

}  // namespace
}  // namespace quova::testing
