#pragma once

#include <cstdint>
#include <string>

typedef struct _GError GError;

namespace quova::engine {

// 32-bit result codes laid out as the player's media layer has always seen
// them: negative means failure, zero or positive success (positive with a
// warning). Facility 4 holds the media codes.
using HResult = std::int32_t;

constexpr HResult MakeResult(std::uint32_t code) {
    return static_cast<HResult>(code);
}

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_NOTIMPL = MakeResult(0x80004001);
inline constexpr HResult E_NOINTERFACE = MakeResult(0x80004002);
inline constexpr HResult E_POINTER = MakeResult(0x80004003);
inline constexpr HResult E_ABORT = MakeResult(0x80004004);
inline constexpr HResult E_FAIL = MakeResult(0x80004005);
inline constexpr HResult E_UNEXPECTED = MakeResult(0x8000FFFF);
inline constexpr HResult E_ACCESSDENIED = MakeResult(0x80070005);
inline constexpr HResult E_OUTOFMEMORY = MakeResult(0x8007000E);
inline constexpr HResult E_INVALIDARG = MakeResult(0x80070057);
// Operating-system file errors in result form.
inline constexpr HResult E_FILE_NOT_FOUND = MakeResult(0x80070002);
inline constexpr HResult E_PATH_NOT_FOUND = MakeResult(0x80070003);

inline constexpr HResult VFW_E_INVALIDMEDIATYPE = MakeResult(0x80040200);
inline constexpr HResult VFW_E_ALREADY_CONNECTED = MakeResult(0x80040204);
inline constexpr HResult VFW_E_NO_ACCEPTABLE_TYPES = MakeResult(0x80040207);
inline constexpr HResult VFW_E_INVALID_DIRECTION = MakeResult(0x80040208);
inline constexpr HResult VFW_E_NOT_CONNECTED = MakeResult(0x80040209);
inline constexpr HResult VFW_E_RUNTIME_ERROR = MakeResult(0x8004020B);
inline constexpr HResult VFW_E_NO_CLOCK = MakeResult(0x80040213);
inline constexpr HResult VFW_E_NO_INTERFACE = MakeResult(0x80040215);
inline constexpr HResult VFW_E_NOT_FOUND = MakeResult(0x80040216);
inline constexpr HResult VFW_E_CANNOT_CONNECT = MakeResult(0x80040217);
inline constexpr HResult VFW_E_CANNOT_RENDER = MakeResult(0x80040218);
inline constexpr HResult VFW_E_NOT_STOPPED = MakeResult(0x80040224);
inline constexpr HResult VFW_E_NOT_PAUSED = MakeResult(0x80040225);
inline constexpr HResult VFW_E_WRONG_STATE = MakeResult(0x80040227);
inline constexpr HResult VFW_E_INVALID_RECT = MakeResult(0x80040229);
inline constexpr HResult VFW_E_TYPE_NOT_ACCEPTED = MakeResult(0x8004022A);
inline constexpr HResult VFW_E_DUPLICATE_NAME = MakeResult(0x8004022D);
inline constexpr HResult VFW_S_DUPLICATE_NAME = MakeResult(0x0004022D);
inline constexpr HResult VFW_E_TIMEOUT = MakeResult(0x8004022E);
inline constexpr HResult VFW_E_INVALID_FILE_FORMAT = MakeResult(0x8004022F);
inline constexpr HResult VFW_E_CIRCULAR_GRAPH = MakeResult(0x80040231);
inline constexpr HResult VFW_S_STATE_INTERMEDIATE = MakeResult(0x00040237);
inline constexpr HResult VFW_E_UNKNOWN_FILE_TYPE = MakeResult(0x80040240);
inline constexpr HResult VFW_E_CANNOT_LOAD_SOURCE_FILTER = MakeResult(0x80040241);
inline constexpr HResult VFW_S_PARTIAL_RENDER = MakeResult(0x00040242);
inline constexpr HResult VFW_E_FILE_TOO_SHORT = MakeResult(0x80040243);
inline constexpr HResult VFW_E_INVALID_MEDIA_TYPE = MakeResult(0x80040248);
inline constexpr HResult VFW_E_NO_TIME_FORMAT_SET = MakeResult(0x80040252);
inline constexpr HResult VFW_E_NO_DECOMPRESSOR = MakeResult(0x80040255);
inline constexpr HResult VFW_E_NO_AUDIO_HARDWARE = MakeResult(0x80040256);
inline constexpr HResult VFW_S_VIDEO_NOT_RENDERED = MakeResult(0x00040257);
inline constexpr HResult VFW_S_AUDIO_NOT_RENDERED = MakeResult(0x00040258);
inline constexpr HResult VFW_E_NOT_IN_GRAPH = MakeResult(0x8004025F);
inline constexpr HResult VFW_E_NO_TIME_FORMAT = MakeResult(0x80040261);
inline constexpr HResult VFW_E_UNSUPPORTED_STREAM = MakeResult(0x80040265);
inline constexpr HResult VFW_E_FRAME_STEP_UNSUPPORTED = MakeResult(0x8004028E);

constexpr bool Succeeded(HResult hr) {
    return hr >= 0;
}
constexpr bool Failed(HResult hr) {
    return hr < 0;
}

// The media layer's own text for a code (empty for a code it does not know),
// at most 127 characters.
std::string ErrorText(HResult hr);

// The result a GStreamer error message stands for: missing plugins, missing
// files, unsupported and undecodable streams each keep their meaning.
HResult ResultFromGstError(const GError* error);

// A value with the result that produced it.
template <class T>
struct Outcome {
    HResult hr = E_FAIL;
    T value{};
    bool ok() const { return Succeeded(hr); }
};

}  // namespace quova::engine
