#pragma once

#include <string>

#include "platform/engine/filter.h"

namespace quova::engine {

// Plays audio on an output device, the default one unless told otherwise.
// With a sound server the stream is the server's, and changing the device
// moves it there while it plays (no flush, no break in the position). Where
// the machine has no sound at all the renderer is silent from the start, a
// sink that still keeps to the clock, so playback takes real time everywhere.
// Rates other than 1 keep the pitch where the tempo plugin is installed.
class AudioRendererFilter : public Filter {
  public:
    explicit AudioRendererFilter(FilterInfo info);

    // Hundredths of a decibel: -10000 silence .. 0 full.
    HResult SetVolume(int level);
    int Volume() const { return volume_; }
    // Hundredths of a decibel of attenuation of one side: -10000 (right
    // silent) .. 10000 (left silent).
    HResult SetBalance(int balance);
    int Balance() const { return balance_; }

    // The device by its stable name (AudioDevice::name); "" the default.
    HResult SetDevice(const std::string& name);
    const std::string& Device() const { return device_; }
    // Nothing is heard: the machine had no sound when the renderer was made.
    bool Silent() const { return silent_; }

    void CreatePins() override;

  private:
    GstElement* sink_ = nullptr;
    std::string device_;
    bool silent_ = false;
    GstElement* head_ = nullptr;
    GstElement* volumeElement_ = nullptr;
    GstElement* panorama_ = nullptr;
    int volume_ = 0;
    int balance_ = 0;
};

// The linear amplitude factor of a level in hundredths of a decibel.
double AmplitudeFromLevel(int level);

}  // namespace quova::engine
