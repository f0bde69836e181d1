// Registry files are edited by hand and by other tools: any bytes must parse
// without crashing, and what is written back must parse to the same content.
// The bytes are decoded as the store decodes them, line by line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/encoding/text_encoding.h"
#include "platform/registry/registry_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quova::registry;
    const std::string text =
        quova::DecodeTextByLine(std::string(reinterpret_cast<const char*>(data), size));
    const RegDocument doc = ParseRegistryText(text);
    const std::string written = SerializeRegistry(doc);
    const RegDocument again = ParseRegistryText(written);
    if (again.unreadableLines != 0 || SerializeRegistry(again) != written) __builtin_trap();
    return 0;
}
