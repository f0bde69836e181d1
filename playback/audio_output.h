#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/engine/audio_devices.h"

namespace quova {

struct PlayerSession;

// One item of an audio device submenu.
struct AudioDeviceItem {
    std::string caption;
    std::string name;  // "" the default device
    bool checked = false;
};

// The items of an audio device submenu: "Default" first, then every device
// by its description, in the system's order. A description two devices
// share is followed by the device's name, so the user can tell them apart.
// The item of `chosen` is checked; a choice no longer offered checks none.
std::vector<AudioDeviceItem> AudioDeviceItems(const std::vector<engine::AudioDevice>& devices,
                                              const std::string& chosen);

// The device a stored or chosen one comes to: itself while the system
// offers it, else the default ("").
std::string AvailableDevice(const std::string& wanted,
                            const std::vector<engine::AudioDevice>& devices);

// The player's side of the audio output devices.
struct AudioOutputState {
    // The "Audio Device" choice, "" for the default device.
    std::string chosen;
    // A silent renderer has been reported (once a run).
    bool silentReported = false;
};

// Starts following the system's devices and takes `stored` (the setting) as
// the choice when the device is there, the default otherwise; returns the
// choice in effect. Nothing is probed on a machine without a sound server.
// `moved` is called after a device in use went and its streams moved.
std::string StartAudioOutput(PlayerSession& session, const std::string& stored,
                             std::function<void()> moved = {});
// Stops following the devices.
void StopAudioOutput();

// The devices the system offers now.
std::vector<engine::AudioDevice> AudioDevicesNow();

// Every stream of the open medium goes to `name` ("" the default) at once,
// and so do the media opened later; the OSD names the device.
void ChooseAudioDevice(PlayerSession& session, const std::string& name);
// Stream `index` (0 to 3, as the Stream items count) goes to `name`, the
// others stay where they are; false when that stream is not heard.
bool ChooseStreamDevice(PlayerSession& session, int index, const std::string& name);
// The device of heard stream `index`; false when it is not heard.
bool StreamDevice(PlayerSession& session, int index, std::string& name);

// The system's devices changed: every stream whose device went moves to the
// default device, and so does the choice; then the OSD says so and true is
// returned. Playback goes on.
bool AudioDevicesChanged(PlayerSession& session);

// After an open: a medium whose sound has nowhere to go plays silently, and
// the OSD says so the first time in a run. True when it said so now.
bool ReportSilentAudio(PlayerSession& session);

}  // namespace quova
