#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

// Sent first by a later start, so that a stray connection is told apart.
constexpr quint32 RequestMagic = 0x56454c31; // "VEL1"
constexpr char Answer = 'k';
// A Unix socket's path must fit in sockaddr_un (108 bytes with its end).
constexpr qsizetype LongestSocketPath = 100;

QString displayName()
{
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("xcb"))
        display = qEnvironmentVariable("DISPLAY");
    else if (platform.startsWith(QLatin1String("wayland")))
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    return platform + QLatin1Char(' ') + display;
}

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    // Only this user may hand over documents.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            serve(socket);
    });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QByteArray key = (runtime + QLatin1Char('\n') + displayName()).toUtf8();
    const QString name = QStringLiteral("vellumor-")
                         + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
#ifdef Q_OS_UNIX
    // In the private runtime folder rather than the shared temporary one,
    // where another user could take the name first.
    const QString path = runtime + QLatin1Char('/') + name;
    if (!runtime.isEmpty() && QDir(runtime).exists() && QFile::encodeName(path).size() <= LongestSocketPath)
        return path;
#endif
    return name;
}

SingleInstance::Role SingleInstance::claim(const QString &name, const QStringList &files)
{
    Delivery delivery = deliver(name, files);
    if (delivery == Delivery::Delivered)
        return Role::HandedOver;
    if (m_server->listen(name))
        return Role::Running;
    // Another start may have begun listening since it was asked.
    if (delivery == Delivery::NoProgram && m_server->serverError() == QAbstractSocket::AddressInUseError) {
        delivery = deliver(name, files);
        if (delivery == Delivery::Delivered)
            return Role::HandedOver;
    }
    // Left by a program that ended without closing it, or one that no longer answers.
    QLocalServer::removeServer(name);
    return m_server->listen(name) ? Role::Running : Role::Alone;
}

SingleInstance::Delivery SingleInstance::deliver(const QString &name, const QStringList &files)
{
    // One second in all, to connect, write and have the answer.
    const QDeadlineTimer deadline(AnswerTimeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return Delivery::NoProgram;
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << RequestMagic << files;
    socket.write(request);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return Delivery::NoAnswer;
    while (socket.bytesAvailable() == 0) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return Delivery::NoAnswer;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == Answer ? Delivery::Delivered : Delivery::NoAnswer;
}

void SingleInstance::serve(QLocalSocket *socket)
{
    socket->setParent(this);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A request may arrive in pieces: read it whole, once.
    auto stream = std::make_shared<QDataStream>(socket);
    auto read = [this, socket, stream] {
        stream->startTransaction();
        quint32 magic = 0;
        *stream >> magic;
        if (stream->status() == QDataStream::Ok && magic != RequestMagic) {
            socket->abort();
            return;
        }
        QStringList files;
        *stream >> files;
        if (!stream->commitTransaction())
            return;
        // Read too late: the later start gave up waiting and opens the
        // documents itself, so they are not opened here too.
        if (socket->state() != QLocalSocket::ConnectedState)
            return;
        socket->putChar(Answer);
        socket->flush();
        socket->disconnectFromServer();
        emit requested(files);
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0)
        read();
}
