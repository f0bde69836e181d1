#pragma once

#include <filesystem>
#include <string>

namespace quova::testing {

// What a generated DVD-Video volume holds. The default volume has a menu with
// two buttons (first play shows it; button 1 starts title 1, button 2 title
// 2) and two titles in their own title sets:
//   title 1: 2 s red picture, chapters at 0 and 1 s, one English AC-3 stream;
//   title 2: 6 s blue picture, chapters at 0, 2 and 4 s, English AC-3 and
//            French MPEG-1 layer II audio, an English sub-picture stream that
//            shows a white box over the whole title.
// With `stillTitle` title 1 ends in an endless still cell instead.
struct DvdVolumeOptions {
    bool stillTitle = false;
};

// The menu's buttons on the 720x576 picture.
struct DvdButtonBox {
    int x0, y0, x1, y1;
};
inline constexpr DvdButtonBox kDvdButton1{96, 96, 320, 192};
inline constexpr DvdButtonBox kDvdButton2{96, 320, 320, 416};
// The sub-picture box of title 2.
inline constexpr DvdButtonBox kDvdSubpictureBox{400, 400, 640, 480};

// Authors a volume into `folder` (which gets VIDEO_TS/) with mpeg2enc, mplex,
// spumux and dvdauthor. Returns an empty string on success, else what failed.
std::string MakeDvdVolume(const std::filesystem::path& folder,
                          const DvdVolumeOptions& options = {});

// A volume made once per test program and shared by its tests (read only).
// Fails the calling test when the tools are missing.
const std::filesystem::path& SharedDvdVolume();
const std::filesystem::path& SharedStillDvdVolume();

// A copy of the shared volume for tests that damage it.
std::filesystem::path CopyDvdVolume(const std::filesystem::path& from,
                                    const std::filesystem::path& to);

}  // namespace quova::testing
