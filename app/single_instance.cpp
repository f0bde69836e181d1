#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace quova {

namespace {
// A client that connects and then says nothing is dropped after this long,
// so it cannot hold a connection open for ever.
constexpr int kIdleClientMs = 5000;
constexpr int kConnectMs = 1000;
}  // namespace

std::optional<std::string> EncodeHandOver(const std::string& name) {
    if (name.empty() || name.size() > kHandOverMaxBytes) return std::nullopt;
    std::string bytes;
    bytes += static_cast<char>((name.size() >> 8) & 0xFF);
    bytes += static_cast<char>(name.size() & 0xFF);
    bytes += name;
    return bytes;
}

HandOverDecoder::State HandOverDecoder::Feed(std::string_view bytes) {
    if (state_ != State::NeedMore) {
        // Anything after a complete request breaks the protocol.
        if (!bytes.empty()) state_ = State::Invalid;
        return state_;
    }
    buffer_.append(bytes);
    if (buffer_.size() < 2) return state_;
    const std::size_t length =
        (static_cast<unsigned char>(buffer_[0]) << 8) | static_cast<unsigned char>(buffer_[1]);
    if (length == 0 || length > kHandOverMaxBytes) return state_ = State::Invalid;
    if (buffer_.size() < 2 + length) return state_;
    if (buffer_.size() > 2 + length) return state_ = State::Invalid;
    name_ = buffer_.substr(2);
    buffer_.clear();
    return state_ = State::Complete;
}

std::string InstanceSocketPath() {
    // Qt gives a runtime folder only when it is the user's own and private;
    // without one there is no place other users cannot reach.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) return {};
    return (dir + "/quova.instance").toStdString();
}

bool IsOwnSocket(const std::string& socketPath) {
    struct stat info {};
    return lstat(socketPath.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_uid == geteuid();
}

bool HandOverToRunningInstance(const std::string& socketPath, const std::string& name,
                               int answerTimeoutMs) {
    const std::optional<std::string> request = EncodeHandOver(name);
    if (!request || !IsOwnSocket(socketPath)) return false;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(kConnectMs)) return false;
    socket.write(request->data(), static_cast<qint64>(request->size()));
    if (!socket.waitForBytesWritten(kConnectMs)) return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(answerTimeoutMs)) return false;
    }
    char answer = 1;
    return socket.read(&answer, 1) == 1 && answer == 0;
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::Accept);
}

InstanceServer::~InstanceServer() {
    Close();
}

bool InstanceServer::Listen(const std::string& socketPath) {
    const QString path = QString::fromStdString(socketPath);
    // Someone answering there is a live instance, which keeps its socket (a
    // listen with access options would replace the file under it). A socket
    // nobody answers on was left by one that died and must not block this start.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(kConnectMs)) return false;
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void InstanceServer::Close() {
    if (server_ && server_->isListening()) server_->close();
}

void InstanceServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto decoder = std::make_shared<HandOverDecoder>();
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
        idle->start(kIdleClientMs);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, decoder, idle] {
            if (decoder->state() != HandOverDecoder::State::NeedMore) return;
            const QByteArray bytes = socket->readAll();
            switch (decoder->Feed(std::string_view(bytes.constData(), bytes.size()))) {
                case HandOverDecoder::State::NeedMore:
                    return;
                case HandOverDecoder::State::Invalid:
                    socket->abort();
                    return;
                case HandOverDecoder::State::Complete:
                    break;
            }
            // The sender is answered as soon as the name is taken: the open
            // may take its time and show message boxes, and a file manager or
            // launcher waiting on the second process must not wait for them.
            idle->stop();
            const char answer = 0;
            socket->write(&answer, 1);
            socket->flush();
            socket->disconnectFromServer();
            // Opened from the event loop, after this connection's handler.
            QTimer::singleShot(0, this,
                               [this, name = decoder->name()] { Q_EMIT handedOver(name); });
        });
    }
}

}  // namespace quova
