#pragma once

typedef struct _GstElement GstElement;

namespace quova::engine {

// A sink element that writes what it receives into a file descriptor (its
// "fd" property; the caller keeps it and closes it after the element has
// stopped). It gathers the data into blocks of a mebibyte and writes each
// with one call: streams of small buffers (an audio chunk or an MP3 frame
// each, thousands a minute) would otherwise cost a system call apiece.
// Everything received is in the file when the element has passed the end of
// the stream on, and when it stops. A segment in bytes moves the position
// (a multiplexer going back to complete its header).
//
// The data written starts on its way to the disk at once, so that a caller
// who flushes the file once it is complete waits only for the last blocks.
//
// A failed write is an error of the element (GStreamer's resource error
// "no space left" or "write"), and the end of the stream that follows is not
// passed on: a file cut short never looks finished.
GstElement* MakeDescriptorSink();

}  // namespace quova::engine
