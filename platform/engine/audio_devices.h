#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct _GstDevice GstDevice;

namespace quova::engine {

// Where sound can go on this machine.
enum class SoundOutput {
    Server,  // a sound server (PulseAudio, or PipeWire in its place) takes the streams
    Device,  // no server, but the kernel offers playback devices
    None,    // nothing: renderers are silent and keep to the clock
};

// What the machine shows of its sound, found without talking to anything.
struct SoundFacts {
    bool serverAddressGiven = false;  // PULSE_SERVER names one
    bool serverSocket = false;        // a server's socket where clients look takes connections
    bool playbackDevice = false;      // /dev/snd holds a playback device
};

SoundOutput ChooseSoundOutput(const SoundFacts& facts);
// Looks at the environment and the file system, and knocks once on a
// server's socket without waiting (no library that could start a server or
// wait), so that a machine without sound is known for one at once.
SoundFacts CurrentSoundFacts();

// The device a new graph's audio renderers start on ("" the default), so
// that a choice made once holds for the media opened later.
void SetPreferredAudioDevice(const std::string& name);
const std::string& PreferredAudioDevice();

// One output device as the system offers it.
struct AudioDevice {
    // The sound server's own name for it (a PulseAudio sink name): stable
    // across runs, unlike its position in the list.
    std::string name;
    // What the user reads.
    std::string description;
    bool isDefault = false;
};

// The system's audio output devices, followed while the program runs. Only
// watched where there is a sound server: elsewhere the list stays empty and
// nothing is probed. Called on the UI thread.
class AudioDeviceMonitor {
  public:
    static AudioDeviceMonitor& Instance();
    ~AudioDeviceMonitor();

    // Starts watching when a server is there; true while watching.
    bool Start();
    // Stops watching and forgets the list.
    void Stop();
    bool Watching() const;

    std::vector<AudioDevice> Devices() const;
    // The name of the system's default device, "" when none is known.
    std::string DefaultName() const;
    bool Has(const std::string& name) const;

    // Called on the UI thread after devices came, went or changed; one
    // observer (the player's audio output).
    void SetObserver(std::function<void()> observer);

    struct Impl;

  private:
    AudioDeviceMonitor();
    std::unique_ptr<Impl> impl_;
};

}  // namespace quova::engine
