// What the audio device submenus offer, from a device list as the system
// would give it.
#include "playback/audio_output.h"

#include <gtest/gtest.h>

namespace quova {
namespace {

using engine::AudioDevice;

std::vector<std::string> Captions(const std::vector<AudioDeviceItem>& items) {
    std::vector<std::string> out;
    for (const AudioDeviceItem& item : items) out.push_back(item.caption);
    return out;
}

TEST(AudioDeviceItems, DefaultComesFirstAndOnlyTheChoiceIsChecked) {
    const std::vector<AudioDevice> devices = {
        {"alsa_output.pci.analog-stereo", "Built-in Audio", true},
        {"bluez_sink.00_11", "Headphones", false}};
    const auto items = AudioDeviceItems(devices, "bluez_sink.00_11");
    EXPECT_EQ(Captions(items),
              (std::vector<std::string>{"Default", "Built-in Audio", "Headphones"}));
    EXPECT_EQ(items[0].name, "");
    EXPECT_EQ(items[2].name, "bluez_sink.00_11");
    EXPECT_FALSE(items[0].checked);
    EXPECT_FALSE(items[1].checked) << "the system's default is not the choice of Default";
    EXPECT_TRUE(items[2].checked);

    EXPECT_TRUE(AudioDeviceItems(devices, "")[0].checked);
    // A choice the system no longer offers checks nothing.
    for (const AudioDeviceItem& item : AudioDeviceItems(devices, "usb_sink")) {
        EXPECT_FALSE(item.checked) << item.caption;
    }
    // No server: Default alone.
    EXPECT_EQ(Captions(AudioDeviceItems({}, "")), (std::vector<std::string>{"Default"}));
}

TEST(AudioDeviceItems, TwoDevicesOfOneDescriptionAreToldApartByName) {
    const std::vector<AudioDevice> devices = {
        {"null_a", "Null Output", true}, {"null_b", "Null Output", false}, {"hdmi", "HDMI", false}};
    EXPECT_EQ(Captions(AudioDeviceItems(devices, "")),
              (std::vector<std::string>{"Default", "Null Output (null_a)", "Null Output (null_b)",
                                        "HDMI"}));
}

TEST(AudioDeviceItems, AStoredDeviceIsTakenOnlyWhileTheSystemOffersIt) {
    const std::vector<AudioDevice> devices = {{"a", "A", true}, {"b", "B", false}};
    EXPECT_EQ(AvailableDevice("b", devices), "b");
    EXPECT_EQ(AvailableDevice("gone", devices), "");
    EXPECT_EQ(AvailableDevice("", devices), "");
    EXPECT_EQ(AvailableDevice("b", {}), "");
}

TEST(SoundOutput, AServerWinsOverDevicesAndNothingMeansSilence) {
    using engine::SoundOutput;
    EXPECT_EQ(engine::ChooseSoundOutput({.serverAddressGiven = true}), SoundOutput::Server);
    EXPECT_EQ(engine::ChooseSoundOutput({.serverSocket = true, .playbackDevice = true}),
              SoundOutput::Server);
    EXPECT_EQ(engine::ChooseSoundOutput({.playbackDevice = true}), SoundOutput::Device);
    EXPECT_EQ(engine::ChooseSoundOutput({}), SoundOutput::None);
}

}  // namespace
}  // namespace quova
