#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/engine/audio_devices.h"
#include "tests/support/temp_dir.h"

namespace quova::engine {
namespace {

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

int BoundSocket(const std::filesystem::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    std::filesystem::remove(path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    return fd;
}

// A sound server that crashed leaves its socket file behind: taking that for
// a server would send every stream to a sink that cannot connect.
TEST(SoundFacts, OnlyASocketThatTakesConnectionsIsAServer) {
    const std::string uid = std::to_string(::getuid());
    for (const char* place : {"/run/pulse/native", "/var/run/pulse/native"})
        if (std::filesystem::exists(place)) GTEST_SKIP() << "a system sound server at " << place;
    if (std::filesystem::exists("/run/user/" + uid + "/pulse/native"))
        GTEST_SKIP() << "this user's sound server runs";
    quova::testing::TempDir dir;
    ScopedEnv runtime("PULSE_RUNTIME_PATH", dir.path().c_str());
    ScopedEnv xdg("XDG_RUNTIME_DIR", dir.path().c_str());
    ScopedEnv server("PULSE_SERVER", nullptr);
    const auto native = dir / "native";
    EXPECT_FALSE(CurrentSoundFacts().serverSocket) << "no socket";

    const int left = BoundSocket(native);
    ::close(left);
    ASSERT_TRUE(std::filesystem::exists(native));
    EXPECT_FALSE(CurrentSoundFacts().serverSocket) << "a socket nobody listens on";

    const int listening = BoundSocket(native);
    ASSERT_EQ(::listen(listening, 4), 0);
    EXPECT_TRUE(CurrentSoundFacts().serverSocket);
    ::close(listening);
    EXPECT_FALSE(CurrentSoundFacts().serverSocket) << "the server went";
}

}  // namespace
}  // namespace quova::engine
