#include <gst/gst.h>
#include <gtest/gtest.h>

#include "platform/engine/dvd_types.h"
#include "platform/engine/filter.h"
#include "platform/engine/filter_mapper.h"
#include "platform/engine/gst_init.h"
#include "platform/engine/guid.h"
#include "platform/engine/media_type.h"
#include "platform/engine/result.h"

namespace quova::engine {
namespace {

MediaType FromCaps(const char* text, bool byteStream = false) {
    EnsureGstInitialized();
    GstCaps* caps = gst_caps_from_string(text);
    auto types = MediaTypesFromCaps(caps, byteStream);
    gst_caps_unref(caps);
    return types.empty() ? MediaType{} : types.front();
}

TEST(Results, EveryCodeHasItsTextAndGStreamerErrorsMapOntoCodes) {
    for (HResult hr : {S_OK, S_FALSE, E_FAIL, E_POINTER, E_INVALIDARG, E_NOTIMPL, E_FILE_NOT_FOUND,
                       VFW_E_CANNOT_RENDER, VFW_E_CANNOT_CONNECT, VFW_E_NOT_FOUND,
                       VFW_E_UNSUPPORTED_STREAM, VFW_E_WRONG_STATE, VFW_E_NOT_CONNECTED,
                       VFW_E_UNKNOWN_FILE_TYPE, VFW_S_PARTIAL_RENDER, VFW_E_NO_DECOMPRESSOR}) {
        EXPECT_FALSE(ErrorText(hr).empty()) << std::hex << hr;
        EXPECT_LE(ErrorText(hr).size(), 127u);
    }
    EXPECT_EQ(ErrorText(MakeResult(0x80041234)), "");
    EXPECT_EQ(static_cast<std::uint32_t>(VFW_E_CANNOT_RENDER), 0x80040218u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_TRUE(Failed(VFW_E_NOT_FOUND));
    EXPECT_TRUE(Succeeded(VFW_S_PARTIAL_RENDER));

    EnsureGstInitialized();
    auto mapped = [](GQuark domain, int code) {
        GError* e = g_error_new_literal(domain, code, "x");
        const HResult hr = ResultFromGstError(e);
        g_error_free(e);
        return hr;
    };
    EXPECT_EQ(mapped(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND), E_FILE_NOT_FOUND);
    EXPECT_EQ(mapped(GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN), VFW_E_CANNOT_RENDER);
    EXPECT_EQ(mapped(GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND), VFW_E_NO_DECOMPRESSOR);
    EXPECT_EQ(mapped(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE), VFW_E_UNSUPPORTED_STREAM);
    EXPECT_EQ(mapped(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE), VFW_E_RUNTIME_ERROR);
    EXPECT_EQ(ResultFromGstError(nullptr), E_FAIL);
}

// Either side of each carry of a DVD time code at 25 frames a second, and
// back to seconds and through the packed form of the navigator's events.
TEST(DvdTimecodes, EveryCarryFromFramesToHoursAndBack) {
    constexpr std::int64_t kSecond = 90000;
    constexpr std::int64_t kFrame = kSecond / 25;
    struct Case {
        std::int64_t ticks;
        int hours, minutes, seconds, frames;
    };
    const Case cases[] = {
        {59 * kSecond, 0, 0, 59, 0},
        {59 * kSecond + 24 * kFrame, 0, 0, 59, 24},
        {60 * kSecond, 0, 1, 0, 0},
        {3599 * kSecond, 0, 59, 59, 0},
        {3599 * kSecond + 24 * kFrame, 0, 59, 59, 24},
        {3599 * kSecond + 25 * kFrame, 1, 0, 0, 0},
        {3600 * kSecond, 1, 0, 0, 0},
        {3601 * kSecond, 1, 0, 1, 0},
        {3660 * kSecond + 1 * kFrame, 1, 1, 0, 1},
        {(10 * 3600 + 59 * 60 + 59) * kSecond, 10, 59, 59, 0},
        {(255 * 3600 + 59 * 60 + 59) * kSecond, 255, 59, 59, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        const DVD_HMSF_TIMECODE t = TimecodeFromTicks(c.ticks, 25);
        EXPECT_EQ(t.bHours, c.hours);
        EXPECT_EQ(t.bMinutes, c.minutes);
        EXPECT_EQ(t.bSeconds, c.seconds);
        EXPECT_EQ(t.bFrames, c.frames);
        EXPECT_DOUBLE_EQ(TimecodeSeconds(t), double(c.ticks / kSecond));
        const DVD_HMSF_TIMECODE back = UnpackTimecode(PackTimecode(t));
        EXPECT_EQ(TimecodeSeconds(back), TimecodeSeconds(t));
        EXPECT_EQ(back.bFrames, t.bFrames);
    }
    // The hours are a byte: past 255 they stay there.
    EXPECT_EQ(TimecodeFromTicks(256 * 3600 * kSecond, 25).bHours, 255);
    // At 30 frames a second a frame is 3000 ticks.
    EXPECT_EQ(TimecodeFromTicks(3600 * kSecond + 29 * 3000, 30).bFrames, 29);
    EXPECT_EQ(TimecodeFromTicks(3600 * kSecond + 30 * 3000, 30).bSeconds, 1);
}

TEST(Guids, TextFormAndStandardValues) {
    // The published values of the types the player meets.
    const std::pair<Guid, const char*> published[] = {
        {MEDIASUBTYPE_MP3, "{00000055-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_MPEG1AudioPayload, "{00000050-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_Vorbis, "{CDDCA2D5-6D75-4F98-840E-737BEDD5C63B}"},
        {MEDIATYPE_Video, "{73646976-0000-0010-8000-00AA00389B71}"},
        {MEDIATYPE_Audio, "{73647561-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_YUY2, "{32595559-0000-0010-8000-00AA00389B71}"},
        {MEDIATYPE_Stream, "{E436EB83-524F-11CE-9F53-0020AF0BA770}"},
        {GUID_NULL, "{00000000-0000-0000-0000-000000000000}"},
        {MEDIASUBTYPE_PCM, "{00000001-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_IEEE_FLOAT, "{00000003-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_YV12, "{32315659-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_UYVY, "{59565955-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_MJPG, "{47504A4D-0000-0010-8000-00AA00389B71}"},
        {MEDIASUBTYPE_RGB32, "{E436EB7E-524F-11CE-9F53-0020AF0BA770}"},
        {MEDIASUBTYPE_MPEG1Audio, "{E436EB87-524F-11CE-9F53-0020AF0BA770}"},
        {MEDIASUBTYPE_Avi, "{E436EB88-524F-11CE-9F53-0020AF0BA770}"},
        {MEDIASUBTYPE_WAVE, "{E436EB8B-524F-11CE-9F53-0020AF0BA770}"},
        {MEDIASUBTYPE_MPEG2_PROGRAM, "{E06D8022-DB46-11CF-B4D1-00805F6CBBEA}"},
        {MEDIASUBTYPE_MPEG2_VIDEO, "{E06D8026-DB46-11CF-B4D1-00805F6CBBEA}"}};
    for (const auto& [guid, text] : published) EXPECT_EQ(guid.ToString(), text);
    EXPECT_EQ(Guid::Parse("{e06d802c-db46-11cf-b4d1-00805f6cbbea}"), MEDIASUBTYPE_DOLBY_AC3);
    EXPECT_EQ(Guid::Parse("36523B13-8EE5-11D1-8CA3-0060B057664A"), MEDIATYPE_MPEG2_PACK);
    EXPECT_FALSE(Guid::Parse("{36523B13-8EE5-11D1-8CA3-0060B057664}"));
    EXPECT_FALSE(Guid::Parse("{36523B13_8EE5-11D1-8CA3-0060B057664A}"));
    EXPECT_FALSE(Guid::Parse("{36523B13-8EE5-11D1-8CA3-0060B057664G}"));
}

TEST(MediaTypes, CapsMapOntoTypesWithTheirFormat) {
    MediaType mp3 = FromCaps("audio/mpeg, mpegversion=1, layer=3, rate=44100, channels=2");
    EXPECT_EQ(mp3.majorType, MEDIATYPE_Audio);
    EXPECT_EQ(mp3.subType, MEDIASUBTYPE_MP3);
    EXPECT_EQ(mp3.sampleRate, 44100);
    EXPECT_EQ(mp3.channels, 2);
    EXPECT_EQ(FromCaps("audio/mpeg, mpegversion=1, layer=2").subType,
              MEDIASUBTYPE_MPEG1AudioPayload);
    EXPECT_EQ(FromCaps("audio/x-vorbis").subType, MEDIASUBTYPE_Vorbis);
    EXPECT_EQ(FromCaps("audio/x-ac3").subType, MEDIASUBTYPE_DOLBY_AC3);
    MediaType pcm =
        FromCaps("audio/x-raw, format=S16LE, rate=22050, channels=1, layout=interleaved");
    EXPECT_EQ(pcm.subType, MEDIASUBTYPE_PCM);
    EXPECT_EQ(pcm.bitsPerSample, 16);
    EXPECT_EQ(pcm.sampleRate, 22050);
    EXPECT_EQ(FromCaps("audio/x-raw, format=F32LE").subType, MEDIASUBTYPE_IEEE_FLOAT);
    MediaType yv12 =
        FromCaps("video/x-raw, format=YV12, width=640, height=480, framerate=30000/1001");
    EXPECT_EQ(yv12.majorType, MEDIATYPE_Video);
    EXPECT_EQ(yv12.subType, MEDIASUBTYPE_YV12);
    EXPECT_EQ(yv12.width, 640);
    EXPECT_NEAR(yv12.frameRate, 29.97, 0.01);
    EXPECT_EQ(FromCaps("video/x-raw, format=BGRx").subType, MEDIASUBTYPE_RGB32);
    EXPECT_EQ(FromCaps("video/x-raw, format=UYVY").subType, MEDIASUBTYPE_UYVY);
    EXPECT_EQ(FromCaps("image/jpeg").subType, MEDIASUBTYPE_MJPG);
    EXPECT_EQ(FromCaps("video/mpeg, mpegversion=2, systemstream=false").subType,
              MEDIASUBTYPE_MPEG2_VIDEO);
    EXPECT_EQ(FromCaps("video/x-divx, divxversion=5").subType, MEDIASUBTYPE_DIVX);
    MediaType ps = FromCaps("video/mpeg, mpegversion=2, systemstream=true");
    EXPECT_EQ(ps.majorType, MEDIATYPE_Stream);
    EXPECT_EQ(ps.subType, MEDIASUBTYPE_MPEG2_PROGRAM);
    EXPECT_EQ(FromCaps("video/x-msvideo", true).subType, MEDIASUBTYPE_Avi);
    EXPECT_EQ(FromCaps("audio/x-wav", true).subType, MEDIASUBTYPE_WAVE);
    EXPECT_EQ(FromCaps("audio/mpeg, mpegversion=1, layer=3", true).subType,
              MEDIASUBTYPE_MPEG1Audio);
    EXPECT_EQ(FromCaps("application/x-foo").majorType, GUID_NULL);
    // Containers are byte streams wherever they are met.
    EXPECT_EQ(FromCaps("video/ogg").majorType, MEDIATYPE_Stream);
    EXPECT_EQ(FromCaps("video/ogg").subType, MEDIASUBTYPE_Ogg);
    EXPECT_EQ(FromCaps("video/x-msvideo").subType, MEDIASUBTYPE_Avi);

    // A template's lists give one type per kind of stream.
    GstCaps* templ = gst_caps_from_string("audio/mpeg, mpegversion=1, layer=[1,3]");
    auto types = MediaTypesFromCaps(templ);
    gst_caps_unref(templ);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[0].subType, MEDIASUBTYPE_MPEG1AudioPayload);
    EXPECT_EQ(types[1].subType, MEDIASUBTYPE_MP3);
}

TEST(MediaTypes, TypesMapBackOntoCaps) {
    EnsureGstInitialized();
    auto roundTrip = [](const MediaType& t) {
        GstCaps* caps = CapsFromMediaType(t);
        if (!caps) return MediaType{};
        auto back = MediaTypesFromCaps(caps, t.majorType == MEDIATYPE_Stream);
        gst_caps_unref(caps);
        return back.empty() ? MediaType{} : back.front();
    };
    for (auto [major, sub] :
         std::vector<std::pair<Guid, Guid>>{{MEDIATYPE_Audio, MEDIASUBTYPE_PCM},
                                            {MEDIATYPE_Audio, MEDIASUBTYPE_MP3},
                                            {MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis},
                                            {MEDIATYPE_Audio, MEDIASUBTYPE_DOLBY_AC3},
                                            {MEDIATYPE_Video, MEDIASUBTYPE_MJPG},
                                            {MEDIATYPE_Video, MEDIASUBTYPE_YUY2},
                                            {MEDIATYPE_Video, MEDIASUBTYPE_YV12},
                                            {MEDIATYPE_Video, MEDIASUBTYPE_RGB24},
                                            {MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO},
                                            {MEDIATYPE_Stream, MEDIASUBTYPE_Avi},
                                            {MEDIATYPE_Stream, MEDIASUBTYPE_WAVE},
                                            {MEDIATYPE_Stream, MEDIASUBTYPE_MPEG2_PROGRAM}}) {
        MediaType t;
        t.majorType = major;
        t.subType = sub;
        const MediaType back = roundTrip(t);
        EXPECT_EQ(back.majorType, major) << sub.ToString();
        EXPECT_EQ(back.subType, sub) << sub.ToString();
    }
    MediaType pcm;
    pcm.majorType = MEDIATYPE_Audio;
    pcm.subType = MEDIASUBTYPE_PCM;
    pcm.channels = 1;
    pcm.sampleRate = 8000;
    pcm.bitsPerSample = 8;
    const MediaType back = roundTrip(pcm);
    EXPECT_EQ(back.channels, 1);
    EXPECT_EQ(back.sampleRate, 8000);
    EXPECT_EQ(back.bitsPerSample, 8);
    MediaType unknown;
    unknown.majorType = MEDIATYPE_Audio;
    unknown.subType = Guid::FromFourCC("ZZZZ");
    EXPECT_EQ(CapsFromMediaType(unknown), nullptr);
}

TEST(FilterMapper, ListsFiltersByMeritAndMatchesTypesLikeEnumMatchingFilters) {
    const FilterMapper& mapper = FilterMapper::Instance();
    EXPECT_EQ(MeritFromRank(0), MERIT_DO_NOT_USE);
    EXPECT_EQ(MeritFromRank(256), MERIT_NORMAL);
    EXPECT_EQ(MeritFromRank(64), 0x300000u);
    const auto& all = mapper.Filters();
    ASSERT_GT(all.size(), 50u);
    for (size_t i = 1; i < all.size(); ++i) EXPECT_GE(all[i - 1].merit, all[i].merit);

    const FilterInfo* avi = mapper.Find("AVI Splitter");
    ASSERT_TRUE(avi);
    EXPECT_EQ(avi->category, FilterCategory::Splitter);
    EXPECT_EQ(mapper.FindNamed(NamedFilter::WavDest)->friendlyName, "WAV Dest");
    EXPECT_FALSE(mapper.Find("avi splitter")) << "names are case-sensitive";

    auto names = [](const std::vector<const FilterInfo*>& list) {
        std::vector<std::string> out;
        for (const FilterInfo* f : list) out.push_back(f->friendlyName);
        return out;
    };
    const std::vector<MediaType> pcmIn = {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM},
                                          {MEDIATYPE_Audio, GUID_NULL}};
    auto mp3Encoders = names(mapper.EnumMatchingFilters(
        true, 0, true, pcmIn, false,
        {{MEDIATYPE_Audio, MEDIASUBTYPE_MP3}, {MEDIATYPE_Audio, MEDIASUBTYPE_MPEG1AudioPayload}}));
    EXPECT_NE(std::find(mp3Encoders.begin(), mp3Encoders.end(), "L.A.M.E. mp3 encoder"),
              mp3Encoders.end());
    auto vorbisEncoders = names(mapper.EnumMatchingFilters(
        true, 0, true, pcmIn, false, {{MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis}}));
    EXPECT_NE(std::find(vorbisEncoders.begin(), vorbisEncoders.end(), "Vorbis audio encoder"),
              vorbisEncoders.end());
    auto forMjpeg = mapper.EnumMatchingFilters(false, MERIT_DO_NOT_USE + 1, true,
                                               {{MEDIATYPE_Video, MEDIASUBTYPE_MJPG}}, false, {});
    auto mjpeg = names(forMjpeg);
    EXPECT_NE(std::find(mjpeg.begin(), mjpeg.end(), "JPEG image decoder"), mjpeg.end());
    for (const FilterInfo* f : forMjpeg) EXPECT_GT(f->merit, MERIT_DO_NOT_USE);
    // A wildcard registration matches only when the match is not exact.
    auto anyInput = names(mapper.EnumMatchingFilters(
        false, 0, true, {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}}, false, {}));
    auto exactInput = names(mapper.EnumMatchingFilters(
        true, 0, true, {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}}, false, {}));
    EXPECT_NE(std::find(anyInput.begin(), anyInput.end(), "File writer"), anyInput.end());
    EXPECT_EQ(std::find(exactInput.begin(), exactInput.end(), "File writer"), exactInput.end());
}

// GStreamer 1.22's adaptivedemux2 aborted a DASH test one run in a few
// hundred (an assertion in its download completion); the first demuxers
// take the streams wherever they are installed.
TEST(FilterMapper, TheFirstAdaptiveDemuxersComeBeforeTheSecondOnesBefore124) {
    const std::uint32_t primaryPlusOne = MeritFromRank(257);
    EXPECT_LT(AdaptiveDemuxerMerit("adaptivedemux2", "1.22.0", primaryPlusOne), MeritFromRank(256));
    EXPECT_GT(AdaptiveDemuxerMerit("adaptivedemux2", "1.22.0", primaryPlusOne), MERIT_UNLIKELY);
    EXPECT_LT(AdaptiveDemuxerMerit("adaptivedemux2", "1.23.90", primaryPlusOne),
              MeritFromRank(256));
    EXPECT_EQ(AdaptiveDemuxerMerit("adaptivedemux2", "1.24.0", primaryPlusOne), primaryPlusOne);
    EXPECT_EQ(AdaptiveDemuxerMerit("adaptivedemux2", "2.0", primaryPlusOne), primaryPlusOne);
    // A rank set lower by the user stays as low.
    EXPECT_EQ(AdaptiveDemuxerMerit("adaptivedemux2", "1.22.0", MERIT_DO_NOT_USE), MERIT_DO_NOT_USE);
    EXPECT_EQ(AdaptiveDemuxerMerit("dash", "1.22.0", primaryPlusOne), primaryPlusOne);
    EXPECT_EQ(AdaptiveDemuxerMerit("adaptivedemux2", "", primaryPlusOne), primaryPlusOne);

    // On this machine's GStreamer.
    const auto& all = FilterMapper::Instance().Filters();
    auto at = [&all](const std::string& factory) {
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].factoryName == factory) return static_cast<long>(i);
        return -1L;
    };
    GstElementFactory* second = gst_element_factory_find("dashdemux2");
    if (!second || at("dashdemux") < 0) {
        if (second) gst_object_unref(second);
        GTEST_SKIP() << "needs both DASH demuxers";
    }
    GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(second));
    const std::string pluginVersion = plugin ? gst_plugin_get_version(plugin) : "";
    if (plugin) gst_object_unref(plugin);
    gst_object_unref(second);
    if (pluginVersion.rfind("1.22.", 0) == 0) {
        EXPECT_LT(at("dashdemux"), at("dashdemux2"));
        EXPECT_LT(at("hlsdemux"), at("hlsdemux2"));
    }
}

TEST(FilterMapper, CreatesFiltersByFriendlyNameWithPinsAndProperties) {
    FilterPtr encoder = FilterMapper::Instance().CreateByName("Vorbis audio encoder");
    ASSERT_TRUE(encoder);
    EXPECT_EQ(encoder->Category(), FilterCategory::Encoder);
    EXPECT_EQ(encoder->Pins(PinDirection::Input).size(), 1u);
    EXPECT_EQ(encoder->Pins(PinDirection::Output).size(), 1u);
    auto format = encoder->EncoderFormat();
    ASSERT_TRUE(format.ok());
    format.value.minBitsPerSecond = 64000;
    format.value.avgBitsPerSecond = 96000;
    format.value.maxBitsPerSecond = 128000;
    ASSERT_EQ(encoder->SetEncoderFormat(format.value), S_OK);
    EXPECT_EQ(encoder->EncoderFormat().value.avgBitsPerSecond, 96000);
    EXPECT_EQ(encoder->EncoderFormat().value.maxBitsPerSecond, 128000);
    format.value.quality = 2.0f;
    EXPECT_EQ(encoder->SetEncoderFormat(format.value), E_INVALIDARG);
    EXPECT_EQ(FilterMapper::Instance().CreateByName("WAV Dest")->EncoderFormat().hr, E_NOINTERFACE);

    auto props = encoder->Properties();
    auto quality =
        std::find_if(props.begin(), props.end(), [](auto& p) { return p.name == "quality"; });
    ASSERT_NE(quality, props.end());
    EXPECT_TRUE(quality->writable);
    EXPECT_EQ(encoder->SetProperty("quality", "0.5"), S_OK);
    props = encoder->Properties();
    quality = std::find_if(props.begin(), props.end(), [](auto& p) { return p.name == "quality"; });
    EXPECT_EQ(std::stod(quality->value), 0.5);
    EXPECT_EQ(encoder->SetProperty("no-such-thing", "1"), VFW_E_NOT_FOUND);
    EXPECT_EQ(encoder->SetProperty("quality", "loud"), E_INVALIDARG);
}

}  // namespace
}  // namespace quova::engine
