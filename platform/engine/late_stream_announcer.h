#pragma once

typedef struct _GstElement GstElement;

namespace quova::engine {

// GStreamer's program stream demuxer adds a pad for each stream it meets in
// the first two seconds of the data and drops every stream it meets later
// (MPEG audio that starts after minutes of video is never heard). Its own
// way to learn streams up front, the DVD stream list event, takes MPEG audio
// streams by number. For an `mpegpsdemux`, this reads the streams the file's
// headers announce and, when some of them have not come by the first second
// of data and all of them can be named in that event, sends it, so that
// their pads exist before the demuxer stops adding pads. Streams the
// headers cannot list completely (private streams, wildcards, other video
// ids) leave the demuxer as it is. Any other element is left alone.
void AnnounceLateStreams(GstElement* demux);

}  // namespace quova::engine
