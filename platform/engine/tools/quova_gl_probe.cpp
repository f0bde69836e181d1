// quova-gl-probe: prints the GL renderer of the display, so that the player
// can choose its video sink without loading a GL driver into itself.
#include "platform/engine/gl_probe.h"

int main(int argc, char** argv) {
    return quova::engine::RunGlProbe(argc, argv);
}
