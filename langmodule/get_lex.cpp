// The language module: the program's English texts exported by index for
// other programs. It reads no lexicon files.

#include "lexicon/builtin_texts.h"

namespace {

// The module's own wording of this tip, kept as it was first delivered.
constexpr const char* kMenuTemplateTip =
    "The menu captions, keyboard shortcuts and hints are is configurable/translatable|"
    "through the menu template file \"quova.[lang].mnu\".";

// The warranty disclaimer the About box shows.
constexpr const char* kDisclaimer =
    "Quova is free software and is provided \"as is\", without warranty of any kind, "
    "express or implied, including but not limited to the warranties of merchantability, "
    "fitness for a particular purpose and non-infringement. The entire risk as to the "
    "quality and performance of the program is with you. In no event shall the authors "
    "be liable for any claim, damages or other liability, including loss of data, arising "
    "from the use of or the inability to use the program.";

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* GetLex(int index) {
    switch (index) {
        case 25:
            return kMenuTemplateTip;
        case 29:
            // The subtitles-over-movie tip came after the module was made.
            return "?";
        case 640:
            return kDisclaimer;
        default: {
            const char* text = quova::FindBuiltInText(index);
            return text ? text : "?";
        }
    }
}
