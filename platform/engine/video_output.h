#pragma once

#include <string>

namespace quova::engine {

// How the video renderer puts pictures on the screen.
enum class VideoOutput {
    Image,   // frames handed to the window and painted by it (any display)
    XVideo,  // xvimagesink drawing into the video window from the streaming thread
    Gl,      // glimagesink likewise, on a GPU
};

// What the display offers.
struct DisplayOffer {
    bool x11 = false;
    bool xvideoPort = false;
    std::string glRenderer;  // "" without a GL context
};

// A renderer that draws with the CPU costs more than painting the image.
bool IsSoftwareRenderer(const std::string& glRenderer);
VideoOutput ChooseVideoOutput(const DisplayOffer& offer);

// The output this process uses: probed once; QUOVA_VIDEO_OUTPUT=image, xv or
// gl sets it instead (an output the display cannot give falls back to image).
VideoOutput ProcessVideoOutput();
// The sink's name: "QImage", "xvimagesink", "glimagesink".
const char* VideoOutputName(VideoOutput output);

}  // namespace quova::engine
