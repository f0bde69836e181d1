#include "platform/engine/result.h"

#include "platform/engine/dvd_types.h"

#include <gst/gst.h>

#include <utility>

namespace quova::engine {

namespace {

struct Text {
    HResult hr;
    const char* text;
};

constexpr Text kTexts[] = {
    {S_OK, "The operation completed successfully."},
    {S_FALSE, "The operation completed with a partial result."},
    {E_NOTIMPL, "Not implemented."},
    {E_NOINTERFACE, "No such interface supported."},
    {E_POINTER, "Invalid pointer."},
    {E_ABORT, "Operation aborted."},
    {E_FAIL, "Unspecified error."},
    {E_UNEXPECTED, "Catastrophic failure."},
    {E_ACCESSDENIED, "Access is denied."},
    {E_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {E_INVALIDARG, "The parameter is incorrect."},
    {E_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {E_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {VFW_E_INVALIDMEDIATYPE, "An invalid media type was specified."},
    {VFW_E_DVD_OPERATION_INHIBITED, "This operation is not permitted by the disc at this point."},
    {VFW_E_DVD_INVALIDDOMAIN, "This operation cannot be done in the current domain of the disc."},
    {VFW_E_DVD_NO_BUTTON, "There is no button at this point of the disc."},
    {VFW_E_DVD_GRAPHNOTREADY, "The DVD graph is not built yet."},
    {VFW_E_DVD_RENDERFAIL, "The DVD graph could not be built."},
    {VFW_E_DVD_MENU_DOES_NOT_EXIST, "The disc has no such menu."},
    {VFW_E_DVD_STATE_WRONG_VERSION, "The saved DVD state is of another version."},
    {VFW_E_DVD_STATE_CORRUPT, "The saved DVD state is damaged."},
    {VFW_E_DVD_STATE_WRONG_DISC, "The saved DVD state belongs to another disc."},
    {VFW_E_DVD_NO_ATTRIBUTES, "The disc gives no attributes for this stream."},
    {VFW_E_DVD_LOW_PARENTAL_LEVEL, "The player's parental level is too low for this title."},
    {VFW_E_DVD_STREAM_DISABLED, "This stream is not enabled at this point of the disc."},
    {VFW_E_DVD_TITLE_UNKNOWN, "The title is not known."},
    {VFW_E_DVD_INVALID_DISC, "No DVD-Video volume can be read there (no disc, or a damaged one)."},
    {VFW_E_DVD_NO_RESUME_INFORMATION, "There is no place to resume playback from."},
    {VFW_E_ALREADY_CONNECTED,
     "The operation cannot be performed because the pins are already connected."},
    {VFW_E_NO_ACCEPTABLE_TYPES, "No acceptable types are available."},
    {VFW_E_INVALID_DIRECTION, "Two pins of the same direction cannot be connected together."},
    {VFW_E_NOT_CONNECTED, "The operation cannot be performed because the pins are not connected."},
    {VFW_E_RUNTIME_ERROR, "A run-time error occurred."},
    {VFW_E_NO_CLOCK, "No clock is available for this filter graph."},
    {VFW_E_NO_INTERFACE, "The required interface is not supported by this object."},
    {VFW_E_NOT_FOUND, "An object or name was not found."},
    {VFW_E_CANNOT_CONNECT,
     "No combination of intermediate filters could be found to make the connection."},
    {VFW_E_CANNOT_RENDER, "No combination of filters could be found to render the stream."},
    {VFW_E_NOT_STOPPED, "The operation cannot be performed because the filter is not stopped."},
    {VFW_E_NOT_PAUSED, "The operation cannot be performed because the filter is not paused."},
    {VFW_E_WRONG_STATE,
     "The operation could not be performed because the filter is in the wrong state."},
    {VFW_E_INVALID_RECT, "The specified rectangle is not valid."},
    {VFW_E_TYPE_NOT_ACCEPTED, "This type is not accepted by the pin."},
    {VFW_E_DUPLICATE_NAME,
     "The filter could not be added to the graph because a filter already has that name."},
    {VFW_S_DUPLICATE_NAME, "The filter was added to the graph under a changed name."},
    {VFW_E_TIMEOUT, "A time-out has expired."},
    {VFW_E_INVALID_FILE_FORMAT, "The file format is invalid."},
    {VFW_E_CIRCULAR_GRAPH, "The filter graph is circular."},
    {VFW_S_STATE_INTERMEDIATE, "The state transition has not completed."},
    {VFW_E_UNKNOWN_FILE_TYPE, "The media type of this file is not recognized."},
    {VFW_E_CANNOT_LOAD_SOURCE_FILTER, "The source filter for this file could not be loaded."},
    {VFW_S_PARTIAL_RENDER, "Some of the streams in this movie are in an unsupported format."},
    {VFW_E_FILE_TOO_SHORT, "A file appeared to be incomplete."},
    {VFW_E_INVALID_MEDIA_TYPE, "The specified media type is invalid."},
    {VFW_E_NO_TIME_FORMAT_SET, "No time format has been set."},
    {VFW_E_NO_DECOMPRESSOR,
     "Cannot play back the stream: no suitable decompressor could be found."},
    {VFW_E_NO_AUDIO_HARDWARE, "Cannot play back the audio stream: no audio hardware is available."},
    {VFW_S_VIDEO_NOT_RENDERED, "The video stream could not be rendered."},
    {VFW_S_AUDIO_NOT_RENDERED, "The audio stream could not be rendered."},
    {VFW_E_NOT_IN_GRAPH,
     "Cannot perform the requested function on an object that is not in the filter graph."},
    {VFW_E_NO_TIME_FORMAT, "The object does not support the specified time format."},
    {VFW_E_UNSUPPORTED_STREAM, "Cannot play back the file. The format is not supported."},
    {VFW_E_FRAME_STEP_UNSUPPORTED, "Frame step is not supported on this configuration."},
};

}  // namespace

std::string ErrorText(HResult hr) {
    for (const Text& t : kTexts)
        if (t.hr == hr) return t.text;
    return {};
}

HResult ResultFromGstError(const GError* error) {
    if (!error) return E_FAIL;
    if (error->domain == GST_RESOURCE_ERROR) {
        switch (error->code) {
            case GST_RESOURCE_ERROR_NOT_FOUND:
                return E_FILE_NOT_FOUND;
            case GST_RESOURCE_ERROR_OPEN_READ:
            case GST_RESOURCE_ERROR_OPEN_WRITE:
            case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
            case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
                return E_ACCESSDENIED;
            case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
                return E_OUTOFMEMORY;
            default:
                return VFW_E_RUNTIME_ERROR;
        }
    }
    if (error->domain == GST_CORE_ERROR) {
        if (error->code == GST_CORE_ERROR_MISSING_PLUGIN) return VFW_E_CANNOT_RENDER;
        if (error->code == GST_CORE_ERROR_NEGOTIATION) return VFW_E_NO_ACCEPTABLE_TYPES;
        return E_UNEXPECTED;
    }
    if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
            case GST_STREAM_ERROR_CODEC_NOT_FOUND:
                return VFW_E_NO_DECOMPRESSOR;
            case GST_STREAM_ERROR_TYPE_NOT_FOUND:
                return VFW_E_UNKNOWN_FILE_TYPE;
            case GST_STREAM_ERROR_WRONG_TYPE:
            case GST_STREAM_ERROR_FORMAT:
                return VFW_E_UNSUPPORTED_STREAM;
            case GST_STREAM_ERROR_DEMUX:
                return VFW_E_INVALID_FILE_FORMAT;
            case GST_STREAM_ERROR_DECODE:
            case GST_STREAM_ERROR_DECRYPT:
            case GST_STREAM_ERROR_DECRYPT_NOKEY:
                return VFW_E_RUNTIME_ERROR;
            default:
                return VFW_E_RUNTIME_ERROR;
        }
    }
    return E_FAIL;
}

}  // namespace quova::engine
