#pragma once

#include <cstdint>

#include "platform/engine/result.h"

// The DVD navigator's vocabulary as the player's media layer has always
// named it: domains, menus, locations, stream attributes, user-operation
// flags, events and result codes, with their published values.
namespace quova::engine {

enum DVD_DOMAIN : std::uint32_t {
    DVD_DOMAIN_FirstPlay = 1,
    DVD_DOMAIN_VideoManagerMenu = 2,
    DVD_DOMAIN_VideoTitleSetMenu = 3,
    DVD_DOMAIN_Title = 4,
    DVD_DOMAIN_Stop = 5,
};

enum DVD_MENU_ID : std::uint32_t {
    DVD_MENU_Title = 2,
    DVD_MENU_Root = 3,
    DVD_MENU_Subpicture = 4,
    DVD_MENU_Audio = 5,
    DVD_MENU_Angle = 6,
    DVD_MENU_Chapter = 7,
};

enum DVD_CMD_FLAGS : std::uint32_t {
    DVD_CMD_FLAG_None = 0,
    DVD_CMD_FLAG_Flush = 1,
    DVD_CMD_FLAG_SendEvents = 2,
    DVD_CMD_FLAG_Block = 4,
    DVD_CMD_FLAG_StartWhenRendered = 8,
    DVD_CMD_FLAG_EndAfterRendered = 0x10,
};

enum DVD_OPTION_FLAG : std::uint32_t {
    DVD_ResetOnStop = 1,
    DVD_NotifyParentalLevelChange = 2,
    DVD_HMSF_TimeCodeEvents = 3,
};

enum DVD_RELATIVE_BUTTON : std::uint32_t {
    DVD_Relative_Upper = 1,
    DVD_Relative_Lower = 2,
    DVD_Relative_Left = 3,
    DVD_Relative_Right = 4,
};

// The user operations a disc can prohibit (bit n is the disc's own UOP n).
enum VALID_UOP_FLAG : std::uint32_t {
    UOP_FLAG_Play_Title_Or_AtTime = 0x1,
    UOP_FLAG_Play_Chapter = 0x2,
    UOP_FLAG_Play_Title = 0x4,
    UOP_FLAG_Stop = 0x8,
    UOP_FLAG_ReturnFromSubMenu = 0x10,
    UOP_FLAG_Play_Chapter_Or_AtTime = 0x20,
    UOP_FLAG_PlayPrev_Or_Replay_Chapter = 0x40,
    UOP_FLAG_PlayNext_Chapter = 0x80,
    UOP_FLAG_Play_Forwards = 0x100,
    UOP_FLAG_Play_Backwards = 0x200,
    UOP_FLAG_ShowMenu_Title = 0x400,
    UOP_FLAG_ShowMenu_Root = 0x800,
    UOP_FLAG_ShowMenu_SubPic = 0x1000,
    UOP_FLAG_ShowMenu_Audio = 0x2000,
    UOP_FLAG_ShowMenu_Angle = 0x4000,
    UOP_FLAG_ShowMenu_Chapter = 0x8000,
    UOP_FLAG_Resume = 0x10000,
    UOP_FLAG_Select_Or_Activate_Button = 0x20000,
    UOP_FLAG_Still_Off = 0x40000,
    UOP_FLAG_Pause_On = 0x80000,
    UOP_FLAG_Select_Audio_Stream = 0x100000,
    UOP_FLAG_Select_SubPic_Stream = 0x200000,
    UOP_FLAG_Select_Angle = 0x400000,
};

// Hours, minutes, seconds and frames; as an event parameter the four bytes
// in this order from the lowest.
struct DVD_HMSF_TIMECODE {
    std::uint8_t bHours = 0;
    std::uint8_t bMinutes = 0;
    std::uint8_t bSeconds = 0;
    std::uint8_t bFrames = 0;
};

inline std::uint32_t PackTimecode(const DVD_HMSF_TIMECODE& t) {
    return t.bHours | (t.bMinutes << 8) | (t.bSeconds << 16) | (std::uint32_t{t.bFrames} << 24);
}
inline DVD_HMSF_TIMECODE UnpackTimecode(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}
inline double TimecodeSeconds(const DVD_HMSF_TIMECODE& t) {
    return t.bHours * 3600.0 + t.bMinutes * 60.0 + t.bSeconds;
}
// The time code of a time in 90 kHz ticks at `fps` frames a second. Every
// part is a byte: the hours stop at 255.
inline DVD_HMSF_TIMECODE TimecodeFromTicks(std::int64_t ticks90k, int fps) {
    const std::int64_t totalFrames = ticks90k * fps / 90000;
    const std::int64_t seconds = ticks90k / 90000;
    DVD_HMSF_TIMECODE t;
    t.bHours = static_cast<std::uint8_t>(seconds / 3600 < 255 ? seconds / 3600 : 255);
    t.bMinutes = static_cast<std::uint8_t>(seconds / 60 % 60);
    t.bSeconds = static_cast<std::uint8_t>(seconds % 60);
    t.bFrames = static_cast<std::uint8_t>(totalFrames % fps);
    return t;
}

// Frame-rate flags of a time code.
enum DVD_TIMECODE_FLAGS : std::uint32_t {
    DVD_TC_FLAG_25fps = 0x1,
    DVD_TC_FLAG_30fps = 0x2,
    DVD_TC_FLAG_DropFrame = 0x4,
    DVD_TC_FLAG_Interpolated = 0x8,
};

struct DVD_PLAYBACK_LOCATION2 {
    std::uint32_t TitleNum = 0;
    std::uint32_t ChapterNum = 0;
    DVD_HMSF_TIMECODE TimeCode;
    std::uint32_t TimeCodeFlags = 0;
};

enum DVD_AUDIO_FORMAT : std::uint32_t {
    DVD_AudioFormat_AC3 = 0,
    DVD_AudioFormat_MPEG1 = 1,
    DVD_AudioFormat_MPEG1_DRC = 2,
    DVD_AudioFormat_MPEG2 = 3,
    DVD_AudioFormat_MPEG2_DRC = 4,
    DVD_AudioFormat_LPCM = 5,
    DVD_AudioFormat_DTS = 6,
    DVD_AudioFormat_SDDS = 7,
    DVD_AudioFormat_Other = 8,
};

// Languages are two-letter ISO 639 codes packed as (first << 8) | second;
// 0 for none.
struct DVD_AudioAttributes {
    std::uint32_t AudioFormat = DVD_AudioFormat_Other;
    std::uint16_t Language = 0;
    std::uint32_t LanguageExtension = 0;
    std::uint32_t dwFrequency = 0;
    std::uint8_t bQuantization = 0;
    std::uint8_t bNumberOfChannels = 0;
};

struct DVD_SubpictureAttributes {
    std::uint32_t Type = 0;  // 0 language, 1 other
    std::uint16_t Language = 0;
    std::uint32_t LanguageExtension = 0;
};

struct DVD_VideoAttributes {
    std::uint32_t fPanscanPermitted = 0;
    std::uint32_t fLetterboxPermitted = 0;
    std::uint32_t ulAspectX = 0;
    std::uint32_t ulAspectY = 0;
    std::uint32_t ulFrameRate = 0;
    std::uint32_t ulFrameHeight = 0;
    std::uint32_t Compression = 0;  // 1 MPEG-1, 2 MPEG-2
    std::uint32_t fLine21Field1InGOP = 0;
    std::uint32_t fLine21Field2InGOP = 0;
    std::uint32_t ulSourceResolutionX = 0;
    std::uint32_t ulSourceResolutionY = 0;
    std::uint32_t fIsSourceLetterboxed = 0;
    std::uint32_t fIsFilmMode = 0;
};

struct DvdVolumeInfo {
    std::uint32_t volumes = 0;
    std::uint32_t volume = 0;
    std::uint32_t side = 0;  // 1 or 2
    std::uint32_t titles = 0;
};

struct DvdStreamChoice {
    std::uint32_t available = 0;
    std::uint32_t current = 0;
    bool disabled = false;  // sub-pictures: not shown
};

// Parental levels of a title as flags; the player's level as a number.
inline constexpr std::uint32_t DVD_PARENTAL_LEVEL_8 = 0x8000;
inline constexpr std::uint32_t DVD_PARENTAL_LEVEL_1 = 0x0100;
inline constexpr std::uint32_t kNoParentalLevel = 0xFFFFFFFF;

// The navigator's events.
inline constexpr long EC_DVD_TITLE_CHANGE = 0x102;
inline constexpr long EC_DVD_CHAPTER_START = 0x103;
inline constexpr long EC_DVD_AUDIO_STREAM_CHANGE = 0x104;
inline constexpr long EC_DVD_SUBPICTURE_STREAM_CHANGE = 0x105;
inline constexpr long EC_DVD_ANGLE_CHANGE = 0x106;
inline constexpr long EC_DVD_BUTTON_CHANGE = 0x107;
inline constexpr long EC_DVD_VALID_UOPS_CHANGE = 0x108;
inline constexpr long EC_DVD_STILL_ON = 0x109;
inline constexpr long EC_DVD_STILL_OFF = 0x10A;
inline constexpr long EC_DVD_CURRENT_TIME = 0x10B;
inline constexpr long EC_DVD_ERROR = 0x10C;
inline constexpr long EC_DVD_WARNING = 0x10D;
inline constexpr long EC_DVD_CHAPTER_AUTOSTOP = 0x10E;
inline constexpr long EC_DVD_NO_FP_PGC = 0x10F;
inline constexpr long EC_DVD_PLAYBACK_RATE_CHANGE = 0x110;
inline constexpr long EC_DVD_PARENTAL_LEVEL_CHANGE = 0x111;
inline constexpr long EC_DVD_PLAYBACK_STOPPED = 0x112;
inline constexpr long EC_DVD_ANGLES_AVAILABLE = 0x113;
inline constexpr long EC_DVD_DISC_EJECTED = 0x118;
inline constexpr long EC_DVD_DISC_INSERTED = 0x119;
inline constexpr long EC_DVD_CURRENT_HMSF_TIME = 0x11A;

enum DVD_ERROR : std::uint32_t {
    DVD_ERROR_Unexpected = 1,
    DVD_ERROR_CopyProtectFail = 2,
    DVD_ERROR_InvalidDVD1_0Disc = 3,
    DVD_ERROR_InvalidDiscRegion = 4,
    DVD_ERROR_LowParentalLevel = 5,
};

enum DVD_WARNING : std::uint32_t {
    DVD_WARNING_InvalidDVD1_0Disc = 1,
    DVD_WARNING_FormatNotSupported = 2,
    DVD_WARNING_IllegalNavCommand = 3,
    DVD_WARNING_Open = 4,
    DVD_WARNING_Seek = 5,
    DVD_WARNING_Read = 6,
};

// RenderDvdVideoVolume's flags and report.
enum AM_DVD_GRAPH_FLAGS : std::uint32_t {
    AM_DVD_HWDEC_PREFER = 0x1,
    AM_DVD_HWDEC_ONLY = 0x2,
    AM_DVD_SWDEC_PREFER = 0x4,
    AM_DVD_SWDEC_ONLY = 0x8,
    AM_DVD_NOVPE = 0x100,
};

struct AM_DVD_RENDERSTATUS {
    HResult hrVPEStatus = S_OK;
    bool bDvdVolInvalid = false;
    bool bDvdVolUnknown = false;
    bool bNoLine21In = false;
    bool bNoLine21Out = false;
    int iNumStreams = 0;
    int iNumStreamsFailed = 0;
    std::uint32_t dwFailedStreamsFlag = 0;  // AM_DVD_STREAM_VIDEO 1, AUDIO 2, SUBPIC 4
};

inline constexpr HResult VFW_E_DVD_OPERATION_INHIBITED = MakeResult(0x80040276);
inline constexpr HResult VFW_E_DVD_INVALIDDOMAIN = MakeResult(0x80040277);
inline constexpr HResult VFW_E_DVD_NO_BUTTON = MakeResult(0x80040278);
inline constexpr HResult VFW_E_DVD_GRAPHNOTREADY = MakeResult(0x80040279);
inline constexpr HResult VFW_E_DVD_RENDERFAIL = MakeResult(0x8004027A);
inline constexpr HResult VFW_E_DVD_DECNOTENOUGH = MakeResult(0x8004027B);
inline constexpr HResult VFW_E_DVD_WRONG_SPEED = MakeResult(0x80040281);
inline constexpr HResult VFW_E_DVD_MENU_DOES_NOT_EXIST = MakeResult(0x80040282);
inline constexpr HResult VFW_E_DVD_STATE_WRONG_VERSION = MakeResult(0x80040284);
inline constexpr HResult VFW_E_DVD_STATE_CORRUPT = MakeResult(0x80040285);
inline constexpr HResult VFW_E_DVD_STATE_WRONG_DISC = MakeResult(0x80040286);
inline constexpr HResult VFW_E_DVD_NO_ATTRIBUTES = MakeResult(0x80040288);
inline constexpr HResult VFW_E_DVD_LOW_PARENTAL_LEVEL = MakeResult(0x8004028A);
inline constexpr HResult VFW_E_DVD_STREAM_DISABLED = MakeResult(0x8004028F);
inline constexpr HResult VFW_E_DVD_TITLE_UNKNOWN = MakeResult(0x80040290);
inline constexpr HResult VFW_E_DVD_INVALID_DISC = MakeResult(0x80040291);
inline constexpr HResult VFW_E_DVD_NO_RESUME_INFORMATION = MakeResult(0x80040292);

}  // namespace quova::engine
