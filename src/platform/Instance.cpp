#include "platform/Instance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace platform {

namespace {
constexpr auto kOptions = QLocalServer::AbstractNamespaceOption;
const QByteArray kRaise = "raise\n";
} // namespace

TSingleInstance::TSingleInstance(QObject *parent) : QObject(parent) {}

TSingleInstance::~TSingleInstance() = default;

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
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(key);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(timeoutMs);
    // Wait for the answer, so the first instance has really taken the request.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool TSingleInstance::Claim(const QString &programFile) {
    const QString key = KeyFor(programFile);
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (AskRunningToRaise(key, 1000))
            return false;
        auto *server = new QLocalServer(this);
        server->setSocketOptions(kOptions);
        if (server->listen(key)) {
            FServer = server;
            connect(server, &QLocalServer::newConnection, this, [this] {
                while (QLocalSocket *c = FServer->nextPendingConnection()) {
                    connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
                    connect(c, &QLocalSocket::readyRead, this, [this, c] {
                        if (c->readAll().contains(kRaise.trimmed())) {
                            c->write("ok\n");
                            Q_EMIT RaiseRequested();
                        }
                    });
                }
            });
            return true;
        }
        delete server;
        // Another start took the name between our two steps: ask it again shortly.
        QThread::msleep(50);
    }
    return true; // nobody answers and nobody listens: run rather than never start
}

} // namespace platform
