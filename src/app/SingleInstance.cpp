#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

namespace {

// A hand-over is a 32-bit big-endian length and that many bytes of UTF-8;
// the running instance answers one byte once it has handled it.
constexpr qsizetype kLengthSize = 4;
constexpr quint32 kMaxHandOver = 1 << 20;
constexpr char kHandled = '\x06';
const char *const kBufferProperty = "handOverBuffer";

QString RuntimeFolder()
{
    static const QString folder = [] {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        return runtime.isEmpty() ? QDir::tempPath() : runtime;
    }();
    return folder;
}

} // namespace

TSingleInstance::TSingleInstance(const QString &productName, QObject *parent)
    : QObject(parent)
    , m_path(QDir(RuntimeFolder()).filePath(MutexName(productName)))
{
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::MutexName(const QString &productName)
{
    return QStringLiteral("ZYK") + productName + QStringLiteral("NQ2013");
}

QString TSingleInstance::HandOverText(const QStringList &arguments)
{
    QString text;
    for (const QString &argument : arguments)
        text += u' ' + argument;
    return text;
}

bool TSingleInstance::Claim()
{
    if (m_server)
        return true;
    auto lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // held for the life of the process; only a dead owner frees it
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);

    // A socket left behind by a crashed instance is ours now.
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
    if (!m_server->listen(m_path))
        qWarning("Single instance: cannot listen on %s: %s", qPrintable(m_path), qPrintable(m_server->errorString()));
    return true;
}

void TSingleInstance::Accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
        Receive(socket);
    }
}

void TSingleInstance::Receive(QLocalSocket *socket)
{
    QByteArray buffer = socket->property(kBufferProperty).toByteArray() + socket->readAll();
    socket->setProperty(kBufferProperty, buffer);
    if (buffer.size() < kLengthSize)
        return;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > kMaxHandOver) {
        socket->abort();
        return;
    }
    if (buffer.size() < kLengthSize + qsizetype(length))
        return;
    socket->setProperty(kBufferProperty, QByteArray());
    const QString text = QString::fromUtf8(buffer.mid(kLengthSize, length));
    emit HandOverReceived(text.trimmed());
    socket->write(&kHandled, 1);
    socket->flush();
    socket->disconnectFromServer();
}

bool TSingleInstance::HandOver(const QString &text, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance may still be starting up and not listen yet.
    for (;;) {
        socket.connectToServer(m_path);
        if (socket.waitForConnected(qMax(1, int(qMin<qint64>(deadline.remainingTime(), 200)))))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }

    const QByteArray payload = text.toUtf8();
    QByteArray message(kLengthSize, '\0');
    qToBigEndian<quint32>(quint32(payload.size()), message.data());
    message += payload;
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    return socket.read(1) == QByteArray(1, kHandled);
}
