#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quova::engine {

// A 128-bit identifier with the field layout of the media types' GUIDs.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // {data1-data2-data3-d4hi-d4lo}: the two last groups as written in the text form.
    static constexpr Guid Make(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                               std::uint16_t d4hi, std::uint64_t d4lo48) {
        Guid g;
        g.data1 = d1;
        g.data2 = d2;
        g.data3 = d3;
        g.data4[0] = static_cast<std::uint8_t>(d4hi >> 8);
        g.data4[1] = static_cast<std::uint8_t>(d4hi);
        for (int i = 0; i < 6; ++i)
            g.data4[2 + i] = static_cast<std::uint8_t>(d4lo48 >> (40 - 8 * i));
        return g;
    }
    // The standard subtype for a four-character code: {XXXXXXXX-0000-0010-8000-00AA00389B71}.
    static constexpr Guid FromFourCC(std::uint32_t fourcc) {
        return Make(fourcc, 0x0000, 0x0010, 0x8000, 0x00AA00389B71ULL);
    }
    static constexpr Guid FromFourCC(const char (&code)[5]) {
        return FromFourCC(static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
                          static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24);
    }

    bool IsNull() const { return *this == Guid{}; }
    // Registry form: braces, upper-case hexadecimal groups of 8, 4, 4, 4 and 12 digits.
    std::string ToString() const;
    // Reads the registry form (braces optional, any letter case).
    static std::optional<Guid> Parse(std::string_view text);

    friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
};

inline constexpr Guid GUID_NULL{};

// Major types.
inline constexpr Guid MEDIATYPE_Video = Guid::FromFourCC("vids");
inline constexpr Guid MEDIATYPE_Audio = Guid::FromFourCC("auds");
inline constexpr Guid MEDIATYPE_Text = Guid::FromFourCC("txts");
inline constexpr Guid MEDIATYPE_Stream =
    Guid::Make(0xE436EB83, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIATYPE_MPEG2_PACK =
    Guid::Make(0x36523B13, 0x8EE5, 0x11D1, 0x8CA3, 0x0060B057664A);
inline constexpr Guid MEDIATYPE_MPEG2_PES =
    Guid::Make(0xE06D8020, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIATYPE_CONTROL =
    Guid::Make(0xE06D8021, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIATYPE_MPEG1SystemStream =
    Guid::Make(0xE436EB82, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);

// Stream subtypes.
inline constexpr Guid MEDIASUBTYPE_MPEG2_PROGRAM =
    Guid::Make(0xE06D8022, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIASUBTYPE_MPEG2_TRANSPORT =
    Guid::Make(0xE06D8023, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIASUBTYPE_MPEG1System =
    Guid::Make(0xE436EB84, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_MPEG1VideoCD =
    Guid::Make(0xE436EB85, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_MPEG1Video =
    Guid::Make(0xE436EB86, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_MPEG1Audio =
    Guid::Make(0xE436EB87, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_Avi =
    Guid::Make(0xE436EB88, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_WAVE =
    Guid::Make(0xE436EB8B, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_Asf =
    Guid::Make(0x3DB80F90, 0x9412, 0x11D1, 0xADED, 0x0000F8754B99);
// Ogg has no standard stream subtype; this is the player's own, from the page marker.
inline constexpr Guid MEDIASUBTYPE_Ogg = Guid::FromFourCC("OggS");
// The subtypes the common Matroska and MP4 splitters register.
inline constexpr Guid MEDIASUBTYPE_Matroska =
    Guid::Make(0x1AC0BEBD, 0x4D2B, 0x45AD, 0xBCEB, 0xF2C41C5E3788);
inline constexpr Guid MEDIASUBTYPE_MP4 =
    Guid::Make(0x08E22ADA, 0xB715, 0x45ED, 0x9D20, 0x7B87750301D4);

// Video subtypes.
inline constexpr Guid MEDIASUBTYPE_MPEG1Packet =
    Guid::Make(0xE436EB80, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_MPEG1Payload =
    Guid::Make(0xE436EB81, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_MPEG2_VIDEO =
    Guid::Make(0xE06D8026, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIASUBTYPE_MJPG = Guid::FromFourCC("MJPG");
inline constexpr Guid MEDIASUBTYPE_RGB8 =
    Guid::Make(0xE436EB7A, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_RGB565 =
    Guid::Make(0xE436EB7B, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_RGB555 =
    Guid::Make(0xE436EB7C, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_RGB24 =
    Guid::Make(0xE436EB7D, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_RGB32 =
    Guid::Make(0xE436EB7E, 0x524F, 0x11CE, 0x9F53, 0x0020AF0BA770);
inline constexpr Guid MEDIASUBTYPE_ARGB32 =
    Guid::Make(0x773C9AC0, 0x3274, 0x11D0, 0xB724, 0x00AA006C1A01);
inline constexpr Guid MEDIASUBTYPE_YUY2 = Guid::FromFourCC("YUY2");
inline constexpr Guid MEDIASUBTYPE_YVYU = Guid::FromFourCC("YVYU");
inline constexpr Guid MEDIASUBTYPE_UYVY = Guid::FromFourCC("UYVY");
inline constexpr Guid MEDIASUBTYPE_YV12 = Guid::FromFourCC("YV12");
inline constexpr Guid MEDIASUBTYPE_I420 = Guid::FromFourCC("I420");
inline constexpr Guid MEDIASUBTYPE_NV12 = Guid::FromFourCC("NV12");
inline constexpr Guid MEDIASUBTYPE_DIVX = Guid::FromFourCC("DIVX");
inline constexpr Guid MEDIASUBTYPE_XVID = Guid::FromFourCC("XVID");
inline constexpr Guid MEDIASUBTYPE_H264 = Guid::FromFourCC("H264");
inline constexpr Guid MEDIASUBTYPE_MP4V = Guid::FromFourCC("MP4V");
inline constexpr Guid MEDIASUBTYPE_THEORA = Guid::FromFourCC("theo");

// Audio subtypes.
inline constexpr Guid MEDIASUBTYPE_PCM = Guid::FromFourCC(0x00000001);
inline constexpr Guid MEDIASUBTYPE_IEEE_FLOAT = Guid::FromFourCC(0x00000003);
inline constexpr Guid MEDIASUBTYPE_MPEG1AudioPayload = Guid::FromFourCC(0x00000050);
inline constexpr Guid MEDIASUBTYPE_MP3 = Guid::FromFourCC(0x00000055);
inline constexpr Guid MEDIASUBTYPE_DOLBY_AC3_SPDIF = Guid::FromFourCC(0x00000092);
inline constexpr Guid MEDIASUBTYPE_AAC = Guid::FromFourCC(0x000000FF);
inline constexpr Guid MEDIASUBTYPE_MPEG2_AUDIO =
    Guid::Make(0xE06D802B, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIASUBTYPE_DOLBY_AC3 =
    Guid::Make(0xE06D802C, 0xDB46, 0x11CF, 0xB4D1, 0x00805F6CBBEA);
inline constexpr Guid MEDIASUBTYPE_Vorbis =
    Guid::Make(0xCDDCA2D5, 0x6D75, 0x4F98, 0x840E, 0x737BEDD5C63B);
inline constexpr Guid MEDIASUBTYPE_FLAC = Guid::FromFourCC(0x0000F1AC);

// Time formats of positions.
inline constexpr Guid TIME_FORMAT_NONE{};
inline constexpr Guid TIME_FORMAT_FRAME =
    Guid::Make(0x7B785570, 0x8C82, 0x11CF, 0xBC0C, 0x00AA00AC74F6);
inline constexpr Guid TIME_FORMAT_BYTE =
    Guid::Make(0x7B785571, 0x8C82, 0x11CF, 0xBC0C, 0x00AA00AC74F6);
inline constexpr Guid TIME_FORMAT_SAMPLE =
    Guid::Make(0x7B785572, 0x8C82, 0x11CF, 0xBC0C, 0x00AA00AC74F6);
inline constexpr Guid TIME_FORMAT_FIELD =
    Guid::Make(0x7B785573, 0x8C82, 0x11CF, 0xBC0C, 0x00AA00AC74F6);
inline constexpr Guid TIME_FORMAT_MEDIA_TIME =
    Guid::Make(0x7B785574, 0x8C82, 0x11CF, 0xBC0C, 0x00AA00AC74F6);

}  // namespace quova::engine
