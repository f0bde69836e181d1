#include "app/audio_device_menu.h"

#include "app/generated_submenu.h"
#include "app/menu_model.h"
#include "playback/audio_output.h"
#include "playback/player_port.h"
#include "playback/player_session.h"

namespace quova {

namespace {

std::vector<DvdStreamItem> AsItems(const std::vector<AudioDeviceItem>& devices) {
    std::vector<DvdStreamItem> items;
    for (size_t i = 0; i < devices.size(); ++i)
        items.push_back({devices[i].caption, static_cast<int>(i), devices[i].checked});
    return items;
}

}  // namespace

void AudioDeviceMenu::Fill(MenuModel& model, PopupMenu& popup) {
    const std::vector<engine::AudioDevice> devices = AudioDevicesNow();
    const std::vector<AudioDeviceItem> all = AudioDeviceItems(devices, session_.outputs.chosen);
    names_.clear();
    for (const AudioDeviceItem& item : all) names_.push_back(item.name);
    FillSubmenu(model, popup, "AudioDevice1", AsItems(all), !devices.empty());
    const char* const perStream[] = {"StreamDevice1", "StreamDevice2", "StreamDevice3",
                                     "StreamDevice4"};
    for (int k = 0; k < 4; ++k) {
        std::string device;
        if (!StreamDevice(session_, k, device)) continue;
        FillSubmenu(model, popup, perStream[k], AsItems(AudioDeviceItems(devices, device)), true);
    }
}

std::string AudioDeviceMenu::DeviceOf(const MenuItem& item) const {
    const size_t at = static_cast<size_t>(item.tag);
    return item.tag >= 0 && at < names_.size() ? names_[at] : "";
}

}  // namespace quova
