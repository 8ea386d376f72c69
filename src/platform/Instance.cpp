#include "platform/Instance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

const QByteArray kRaise = "raise\n";
const QByteArray kAnswer = "ok\n";

// The key as an address in the abstract namespace: a leading NUL, then the name, unpadded.
socklen_t AbstractAddress(const QString &key, sockaddr_un &address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const QByteArray name = key.toUtf8().left(int(sizeof address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(name.size()));
}

// Waits up to TimeoutMs for Fd to become ready for Events.
bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int r;
    do
        r = ::poll(&p, 1, timeoutMs);
    while (r < 0 && errno == EINTR);
    return r > 0;
}

} // namespace

// One later start talking to this instance: its request is read as it arrives, without ever
// blocking the menu.
class TInstanceClient : public QObject {
public:
    TInstanceClient(int fd, TSingleInstance *owner) : QObject(owner), FFd(fd), FNotifier(fd, QSocketNotifier::Read) {
        connect(&FNotifier, &QSocketNotifier::activated, this, [this, owner] { Read(owner); });
    }
    ~TInstanceClient() override {
        FNotifier.setEnabled(false);
        ::close(FFd);
    }

private:
    void Read(TSingleInstance *owner) {
        char buffer[256];
        const ssize_t n = ::recv(FFd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n > 0 && FRequest.size() < 4096)
            FRequest.append(buffer, qsizetype(n));
        if (n > 0 && !FRequest.contains(kRaise.trimmed()))
            return;
        if (n > 0) {
            (void)::send(FFd, kAnswer.constData(), size_t(kAnswer.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
            Q_EMIT owner->RaiseRequested();
        }
        FNotifier.setEnabled(false);
        deleteLater(); // answered, closed by the other side, or failed
    }

    int FFd;
    QSocketNotifier FNotifier;
    QByteArray FRequest;
};

TSingleInstance::TSingleInstance(QObject *parent) : QObject(parent) {}

TSingleInstance::~TSingleInstance() {
    delete FNotifier;
    if (FListener >= 0)
        ::close(FListener);
}

QString TSingleInstance::KeyFor(const QString &programFile) {
    const QFileInfo info(programFile);
    const QString canonical = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(canonical.toLower().toUtf8());
    h.addData("\n" + QByteArray::number(::getuid()));
    h.addData("\n" + qgetenv("DISPLAY") + "\n" + qgetenv("WAYLAND_DISPLAY"));
    return QStringLiteral("telvaro-") + QString::fromLatin1(h.result().toHex().left(32));
}

bool TSingleInstance::AskRunningToRaise(const QString &key, int timeoutMs) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = AbstractAddress(key, address);
    // Never blocking: a listener whose queue is full (one that no longer accepts) is retried
    // for the time allowed, then taken as nobody.
    int connected;
    for (int waited = 0;; waited += 10) {
        connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), length);
        if (connected == 0 || (errno != EAGAIN && errno != EINTR) || waited >= timeoutMs)
            break;
        QThread::msleep(10);
    }
    if (connected != 0) {
        ::close(fd);
        return false; // nobody listens under this name
    }
    if (WaitFor(fd, POLLOUT, timeoutMs))
        (void)::send(fd, kRaise.constData(), size_t(kRaise.size()), MSG_NOSIGNAL);
    // Wait for the answer, so the first instance has really taken the request.
    if (WaitFor(fd, POLLIN, timeoutMs)) {
        char answer[16];
        (void)::recv(fd, answer, sizeof answer, MSG_DONTWAIT);
    }
    ::close(fd);
    return true;
}

bool TSingleInstance::Listen(const QString &key) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = AbstractAddress(key, address);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    FListener = fd;
    FNotifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        int client;
        while ((client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0)
            new TInstanceClient(client, this);
    });
    return true;
}

bool TSingleInstance::Claim(const QString &programFile) {
    const QString key = KeyFor(programFile);
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (AskRunningToRaise(key, 1000))
            return false;
        if (Listen(key))
            return true;
        // Another start took the name between our two steps: ask it again shortly.
        QThread::msleep(50);
    }
    return true; // nobody answers and nobody listens: run rather than never start
}

} // namespace platform
