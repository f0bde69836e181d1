#pragma once

#include "platform/engine/filter.h"

namespace quova::engine {

// Plays audio on the default device; with no device it falls back to a fake
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

    void CreatePins() override;

  private:
    GstElement* head_ = nullptr;
    GstElement* volumeElement_ = nullptr;
    GstElement* panorama_ = nullptr;
    int volume_ = 0;
    int balance_ = 0;
};

// The linear amplitude factor of a level in hundredths of a decibel.
double AmplitudeFromLevel(int level);

}  // namespace quova::engine
