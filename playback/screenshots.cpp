#include "playback/screenshots.h"

#include <pthread.h>
#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <QMetaObject>
#include <cstdlib>
#include <system_error>

#include "graph/graph_state.h"
#include "lexicon/lexicon.h"
#include "platform/engine/filter_graph.h"
#include "platform/engine/video_renderer.h"
#include "platform/files/atomic_file.h"
#include "platform/paths/pictures_folder.h"
#include "platform/paths/user_home.h"
#include "playback/player_session.h"
#include "playback/screenshot_name.h"
#include "text/osd.h"

namespace quova {

namespace {

constexpr int kSaved = 2990;
constexpr int kNotSaved = 3000;
constexpr int kNoVideo = 3010;

}  // namespace

ScreenshotWriter::~ScreenshotWriter() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ScreenshotWriter::Save(Job job, Done done) {
    {
        std::lock_guard guard(lock_);
        queue_.emplace_back(std::move(job), std::move(done));
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
}

void ScreenshotWriter::Run() {
    pthread_setname_np(pthread_self(), "quova-shots");
    for (;;) {
        std::pair<Job, Done> next;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        Result result = Write(next.first);
        // The receiver outlives this thread (the owner joins it first), and
        // a call still queued when the receiver goes is dropped with it.
        QMetaObject::invokeMethod(
            receiver_,
            [done = std::move(next.second), result = std::move(result)] {
                if (done) done(result);
            },
            Qt::QueuedConnection);
    }
}

ScreenshotWriter::Result ScreenshotWriter::Write(const Job& job) {
    Result result;
    result.folder = job.folder;
    const QImage image = job.picture.ToImage();
    if (image.isNull()) {
        result.error = "the picture could not be converted";
        return result;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        result.error = writer.errorString().toStdString();
        return result;
    }
    std::error_code ec;
    std::filesystem::create_directories(job.folder, ec);
    if (ec) {
        result.error = ec.message();
        return result;
    }
    result.path = WriteNewFileAtomically(
        job.folder.string(), [&job](int n) { return ScreenshotFileName(job.stem, n); },
        std::string_view(png.constData(), static_cast<std::size_t>(png.size())), &result.error);
    return result;
}

std::filesystem::path ScreenshotFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path pictures =
        UserPicturesFolder(config ? config : "", UserHomeFolder());
    return pictures.empty() ? pictures : pictures / "Quova";
}

void TakeScreenshot(PlayerSession& session, ScreenshotKind kind) {
    GraphSession& g = session.graph;
    const bool open = g.MediaKind != MediaKindNone && g.GraphBuilder;
    engine::ShownPicture picture;
    if (open && g.VideoWindow)
        picture = g.VideoWindow->Shown(kind == ScreenshotKind::WithSubtitles);
    if (picture.Empty()) {
        ShowOsdMessage(session, Lex(kNoVideo));
        return;
    }
    const std::filesystem::path folder = ScreenshotFolder();
    if (folder.empty()) {
        ShowOsdMessage(session, FormatLex(kNotSaved, "~/Pictures") + "no home folder");
        return;
    }
    const auto position = g.GraphBuilder->CurrentPosition();
    ScreenshotWriter::Job job{
        std::move(picture), folder,
        ScreenshotStem(g.CurrentMediaName, position.ok() ? position.value : 0)};
    if (!session.screenshots)
        session.screenshots = std::make_unique<ScreenshotWriter>(&session.context);
    session.screenshots->Save(std::move(job), [&session](const ScreenshotWriter::Result& result) {
        if (!result.path.empty())
            ShowOsdMessage(session, FormatLex(kSaved, result.path));
        else
            ShowOsdMessage(session, FormatLex(kNotSaved, result.folder.string()) + result.error);
    });
}

}  // namespace quova
