#include "platform/engine/gl_probe.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace quova::engine {

namespace fs = std::filesystem;

namespace {

// A cache larger than this is not ours: it is ignored, not read.
constexpr std::uintmax_t kMaxCacheBytes = 64 * 1024;
// Answers kept; the oldest go first.
constexpr std::size_t kMaxCacheLines = 32;

std::vector<std::pair<std::string, std::string>> ReadCache(const fs::path& file) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMaxCacheBytes) return entries;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        entries.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return entries;
}

// One line each: the keys and names come from outside (an environment
// variable, a driver), so their line breaks and tabs go.
std::string Clean(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

fs::path CacheFile() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/') return fs::path(cache) / "quova" / "gl-renderers";
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return fs::path(home) / ".cache" / "quova" / "gl-renderers";
    return {};
}

// The display and the GPU devices it could use: a new device or another
// display is asked again.
std::string DisplayKey(const fs::path& dri) {
    const char* display = std::getenv("DISPLAY");
    std::vector<std::string> nodes;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dri, ec))
        nodes.push_back(entry.path().filename().string());
    std::sort(nodes.begin(), nodes.end());
    std::string key = display ? display : "";
    for (const std::string& node : nodes) key += " " + node;
    return Clean(key);
}

// The probe lies with the language module under the prefix's lib/quova (in
// the build tree as in an installation); a program elsewhere has none.
fs::path ProbeProgram() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().parent_path() / "lib" / "quova" / "quova-gl-probe";
}

}  // namespace

bool HasRenderNode(const fs::path& driFolder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(driFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("card", 0) == 0 || name.rfind("renderD", 0) == 0) return true;
    }
    return false;
}

std::optional<std::string> CachedGlRenderer(const fs::path& cacheFile, const std::string& key) {
    for (const auto& [k, renderer] : ReadCache(cacheFile))
        if (k == Clean(key)) return renderer;
    return std::nullopt;
}

void RememberGlRenderer(const fs::path& cacheFile, const std::string& key,
                        const std::string& renderer) {
    auto entries = ReadCache(cacheFile);
    const std::string k = Clean(key);
    std::erase_if(entries, [&k](const auto& e) { return e.first == k; });
    entries.emplace_back(k, Clean(renderer));
    if (entries.size() > kMaxCacheLines)
        entries.erase(entries.begin(), entries.end() - kMaxCacheLines);
    std::error_code ec;
    fs::create_directories(cacheFile.parent_path(), ec);
    // Written aside and renamed, so that a reader never sees half a file.
    const fs::path temp = cacheFile.string() + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const auto& [key2, name] : entries) out << key2 << '\t' << name << '\n';
        if (!out) {
            fs::remove(temp, ec);
            return;
        }
    }
    fs::rename(temp, cacheFile, ec);
    if (ec) fs::remove(temp, ec);
}

std::string AskGlRenderer(const fs::path& probeProgram, int timeoutMs) {
    std::error_code ec;
    if (probeProgram.empty() || !fs::is_regular_file(probeProgram, ec)) return {};
    QProcess probe;
    probe.setProcessChannelMode(QProcess::SeparateChannels);
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(QString::fromStdString(probeProgram.string()), {});
    if (!probe.waitForFinished(timeoutMs)) {
        probe.kill();
        probe.waitForFinished(1000);
        return {};
    }
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) return {};
    const QByteArray out = probe.readAllStandardOutput().left(1024);
    const int end = out.indexOf('\n');
    return Clean((end < 0 ? out : out.left(end)).toStdString());
}

std::string DisplayGlRenderer() {
    const fs::path dri = "/dev/dri";
    // No GPU device: whatever GL the display offers draws with the CPU.
    if (!HasRenderNode(dri)) return {};
    const fs::path cache = CacheFile();
    const std::string key = DisplayKey(dri);
    if (!cache.empty())
        if (const auto known = CachedGlRenderer(cache, key)) return *known;
    const std::string renderer = AskGlRenderer(ProbeProgram(), 5000);
    if (!cache.empty()) RememberGlRenderer(cache, key, renderer);
    return renderer;
}

int RunGlProbe(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QOpenGLContext context;
    if (!context.create()) return 1;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) return 1;
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    if (!name) return 1;
    std::printf("%s\n", name);
    context.doneCurrent();
    return 0;
}

}  // namespace quova::engine
