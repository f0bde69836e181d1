#include "tests/support/http_server.h"

#include "tests/support/child_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace quova::testing {

namespace {

// Python's file server, taught byte ranges (RFC 7233) as the web servers
// that hold media answer them: players read a file's index at its end and
// seek by asking for the bytes from a point on.
constexpr const char* kServer = R"(
import http.server, os, re, sys, time
RATE = int(sys.argv[2])
STOP = float(sys.argv[3])
HANGUP = sys.argv[4] == '1'
class Handler(http.server.SimpleHTTPRequestHandler):
    def send_head(self):
        path = self.translate_path(self.path)
        m = re.fullmatch(r'bytes=(\d+)-(\d*)', self.headers.get('Range', ''))
        if not m or not os.path.isfile(path):
            return super().send_head()
        size = os.path.getsize(path)
        start = int(m.group(1))
        end = min(int(m.group(2)) if m.group(2) else size - 1, size - 1)
        if start >= size:
            self.send_error(416)
            return None
        f = open(path, 'rb')
        f.seek(start)
        self.send_response(206)
        self.send_header('Content-Type', self.guess_type(path))
        self.send_header('Accept-Ranges', 'bytes')
        self.send_header('Content-Range', 'bytes %d-%d/%d' % (start, end, size))
        self.send_header('Content-Length', str(end - start + 1))
        self.end_headers()
        self.remaining = end - start + 1
        return f
    def end_headers(self):
        self.send_header('Accept-Ranges', 'bytes')
        super().end_headers()
    def copyfile(self, source, outputfile):
        size = os.fstat(source.fileno()).st_size
        at = source.tell()
        end = at + self.remaining if hasattr(self, 'remaining') else size
        cut = int(size * STOP)
        began = time.monotonic()
        sent = 0
        while at < end:
            if at >= cut:
                print('stopped', flush=True)
                if HANGUP:
                    self.close_connection = True
                    return
                # Hung: the connection stays open and nothing more comes.
                time.sleep(3600)
                return
            step = max(1, RATE // 20) if RATE else 65536
            chunk = source.read(min(step, end - at, cut - at))
            if not chunk:
                break
            outputfile.write(chunk)
            at += len(chunk)
            sent += len(chunk)
            if RATE:
                ahead = sent / RATE - (time.monotonic() - began)
                if ahead > 0:
                    time.sleep(ahead)
    def log_message(self, *args):
        pass
os.chdir(sys.argv[1])
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
print('port %d' % server.server_address[1], flush=True)
server.serve_forever()
)";

}  // namespace

HttpServer::HttpServer(const std::filesystem::path& folder, Pace pace)
    : process_(std::make_unique<QProcess>()) {
    process_->setProcessChannelMode(QProcess::MergedChannels);
    EndWithThisProgram(*process_);
    // Port 0: the system picks a free one, which the server announces.
    process_->start("python3", {"-u", "-c", kServer, QString::fromStdString(folder.string()),
                                QString::number(pace.bytesPerSecond),
                                QString::number(pace.stopAfter, 'g', 17), pace.hangUp ? "1" : "0"});
    if (!process_->waitForStarted(10000)) return;
    const QRegularExpression announced("port (\\d+)");
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && process_->state() == QProcess::Running) {
        process_->waitForReadyRead(200);
        said += process_->readAll();
        const QRegularExpressionMatch m = announced.match(QString::fromUtf8(said));
        if (m.hasMatch()) {
            port_ = m.captured(1).toInt();
            // What the server says later comes while the test handles events.
            QObject::connect(process_.get(), &QProcess::readyRead, [this] {
                if (process_->readAll().contains("stopped")) stopped_ = true;
            });
            stopped_ = said.contains("stopped");
            return;
        }
    }
}

HttpServer::~HttpServer() {
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

std::string HttpServer::Address(const std::string& name) const {
    const QByteArray path = QUrl::toPercentEncoding(QString::fromStdString(name), "/");
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + path.toStdString();
}

}  // namespace quova::testing
