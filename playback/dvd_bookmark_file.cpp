#include "playback/dvd_bookmark_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <memory>

#include "platform/files/atomic_file.h"
#include "platform/files/whole_file.h"
#include "playback/bookmark_format.h"

namespace quova {

namespace {

struct Unref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, Unref>;

bool WriteStream(GsfOutfile* root, const char* name, std::string_view bytes, bool* created) {
    GObjectPtr<GsfOutput> stream(gsf_outfile_new_child(root, name, FALSE));
    *created = stream != nullptr;
    if (!stream) return false;
    const bool written =
        bytes.empty() ||
        gsf_output_write(stream.get(), bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
    return gsf_output_close(stream.get()) && written;
}

bool ReadStream(GsfInput* stream, std::size_t count, std::string& out) {
    out.resize(count);
    if (count == 0) return true;
    return gsf_input_read(stream, count, reinterpret_cast<guint8*>(out.data())) != nullptr;
}

}  // namespace

std::int32_t WriteDvdBookmarkFile(const std::string& path, std::string_view navigatorState,
                                  std::string_view record, std::string* failedStep) {
    std::int32_t result = 0;
    auto fail = [&](const char* step, std::int32_t code) {
        if (result == 0) {
            result = code;
            if (failedStep) *failedStep = step;
        }
        return false;
    };
    // The compound file is made in memory and written by our own atomic
    // writer: libgsf never opens a name in the bookmark's folder, where a
    // link planted under the temporary name would lead it elsewhere.
    GObjectPtr<GsfOutput> sink(gsf_output_memory_new());
    GObjectPtr<GsfOutfile> root(sink ? gsf_outfile_msole_new(sink.get()) : nullptr);
    if (!root) {
        fail("create", kStgWriteFault);
        return result;
    }
    bool created = false;
    if (!WriteStream(root.get(), kDvdStateStream, navigatorState, &created))
        fail("state", created ? kStgWriteFault : kStgInvalidName);
    if (!WriteStream(root.get(), kDvdExtension11, record, &created))
        fail(created ? "write" : "extension", created ? kStgWriteFault : kStgInvalidName);
    const bool closed = gsf_output_close(GSF_OUTPUT(root.get()));
    const bool sinkClosed = gsf_output_is_closed(sink.get()) || gsf_output_close(sink.get());
    if (!closed || !sinkClosed) fail("write", kStgWriteFault);
    if (result != 0) return result;
    const auto* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    const std::string_view file(reinterpret_cast<const char*>(bytes),
                                bytes ? static_cast<std::size_t>(gsf_output_size(sink.get())) : 0);
    std::string error;
    if (!WriteFileAtomically(path, file, &error)) fail("create", kStgWriteFault);
    return result;
}

DvdBookmarkContent ReadDvdBookmarkBytes(std::string_view bytes) {
    // The compound reader reports every damaged block on the log; a damaged
    // bookmark is told to the user once, by its caller.
    static const bool quiet = [] {
        g_log_set_handler(
            "libgsf:msole", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK),
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        return true;
    }();
    (void)quiet;
    DvdBookmarkContent content;
    GObjectPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                                    static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!input) {
        content.OpenResult = kStgInvalidHeader;
        return content;
    }
    GObjectPtr<GsfInfile> root(gsf_infile_msole_new(input.get(), nullptr));
    if (!root) {
        content.OpenResult = kStgInvalidHeader;
        return content;
    }

    GObjectPtr<GsfInput> state(gsf_infile_child_by_name(root.get(), kDvdStateStream));
    if (!state) {
        content.StateResult = kStgFileNotFound;
    } else {
        const gsf_off_t size = gsf_input_size(state.get());
        if (size < 16 || static_cast<std::uint64_t>(size) > kMaxNavigatorStateBytes ||
            !ReadStream(state.get(), static_cast<std::size_t>(size), content.NavigatorState)) {
            content.StateResult = kStgDocfileCorrupt;
            content.NavigatorState.clear();
        }
    }

    GObjectPtr<GsfInput> extension(gsf_infile_child_by_name(root.get(), kDvdExtension11));
    std::size_t wanted = kDvdRecordSize;
    content.ExtensionVersion = 11;
    if (!extension) {
        extension.reset(gsf_infile_child_by_name(root.get(), kDvdExtension10));
        wanted = kDvdRecordSize10;
        content.ExtensionVersion = 10;
    }
    if (!extension) {
        content.ExtensionVersion = 0;
        content.ExtensionOpenResult = kStgFileNotFound;
        return content;
    }
    const gsf_off_t size = gsf_input_size(extension.get());
    // A short record reads what there is; the caller applies nothing then.
    const std::size_t count =
        size < 0 ? 0 : std::min<std::size_t>(wanted, static_cast<std::size_t>(size));
    if (size < 0 || !ReadStream(extension.get(), count, content.Record)) {
        content.ExtensionReadResult = kStgReadFault;
        content.Record.clear();
    }
    return content;
}

DvdBookmarkContent ReadDvdBookmarkFile(const std::string& path) {
    std::string bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(path, kMaxDvdBookmarkBytes, bytes, &tooLarge)) {
        DvdBookmarkContent content;
        content.OpenResult = tooLarge ? kStgDocfileCorrupt : kStgFileNotFound;
        return content;
    }
    return ReadDvdBookmarkBytes(bytes);
}

}  // namespace quova
