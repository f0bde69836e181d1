#include "graph/media_type_names.h"

#include <utility>

namespace quova {

using namespace engine;

namespace {

// Looked up in this order; the first match wins.
const std::pair<Guid, const char*> kNames[] = {
    {GUID_NULL, "*"},
    {MEDIATYPE_Video, "Video"},
    {MEDIATYPE_Audio, "Audio"},
    {MEDIATYPE_Stream, "Stream"},
    {MEDIATYPE_MPEG2_PACK, "MPEG2 Pack"},
    {MEDIATYPE_MPEG2_PES, "MPEG2 PES"},
    {MEDIATYPE_CONTROL, "Control"},
    {MEDIATYPE_MPEG1SystemStream, "MPEG1 System Stream"},
    {MEDIASUBTYPE_MPEG2_PROGRAM, "MPEG2 Program"},
    {MEDIASUBTYPE_MPEG2_VIDEO, "MPEG2 Video"},
    {MEDIASUBTYPE_MPEG2_TRANSPORT, "MPEG2 Transport"},
    {MEDIASUBTYPE_MPEG2_AUDIO, "MPEG2 Audio"},
    {MEDIASUBTYPE_DOLBY_AC3, "Dolby AC3"},
    {MEDIASUBTYPE_MJPG, "M-JPEG"},
    {MEDIASUBTYPE_RGB8, "RGB 8 bits"},
    {MEDIASUBTYPE_RGB24, "RGB 24 bits"},
    {MEDIASUBTYPE_RGB32, "RGB 32 bits"},
    {MEDIASUBTYPE_YUY2, "YUY2"},
    {MEDIASUBTYPE_YVYU, "YVYU"},
    {MEDIASUBTYPE_YV12, "YV12"},
    {MEDIASUBTYPE_UYVY, "UYVY"},
    {MEDIASUBTYPE_RGB565, "RGB 565"},
    {MEDIASUBTYPE_RGB555, "RGB 555"},
    {MEDIASUBTYPE_MPEG1Packet, "MPEG1 Packet"},
    {MEDIASUBTYPE_MPEG1Payload, "MPEG1 Payload"},
    {MEDIASUBTYPE_MPEG1System, "MPEG1 System"},
    {MEDIASUBTYPE_MPEG1AudioPayload, "MPEG1 Audio Payload"},
    {MEDIASUBTYPE_MPEG1VideoCD, "MPEG1 VideoCD"},
    {MEDIASUBTYPE_MPEG1Video, "MPEG1 Video"},
    {MEDIASUBTYPE_MPEG1Audio, "MPEG1 Audio"},
    {MEDIASUBTYPE_Avi, "AVI"},
    {MEDIASUBTYPE_Asf, "ASF"},
    {MEDIASUBTYPE_WAVE, "Wave"},
    {MEDIASUBTYPE_DOLBY_AC3_SPDIF, "Dolby AC3 SPDIF"},
    {MEDIASUBTYPE_PCM, "PCM"},
    {MEDIASUBTYPE_MP3, "MPEG1 Layer3"},
    {MEDIASUBTYPE_DIVX, "DIVX"},
};

}  // namespace

std::string MediaTypeName(const Guid& guid) {
    for (const auto& [id, name] : kNames)
        if (id == guid) return name;
    return guid.ToString();
}

bool IsAudioMajorType(const std::string& guidText) {
    const auto guid = Guid::Parse(guidText);
    return guid && *guid == MEDIATYPE_Audio;
}

}  // namespace quova
