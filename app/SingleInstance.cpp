#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "quillary.instance")

namespace {
const QByteArray Magic = QByteArrayLiteral("QLR1");
constexpr int HeaderSize = 8;
// Far more than any list of file names; a bigger count is not a request of ours.
constexpr quint32 MaxBodyBytes = 4 * 1024 * 1024;
constexpr char Accepted = 'A';
// The sender's answer to Accepted: it has seen the acceptance and ends. Only then are the
// files added, so a sender that gave up (and told its user so) never has them added later.
constexpr char Committed = 'C';
// Set on a socket whose request waits for the sender's Committed.
constexpr char AwaitingCommit[] = "quillaryAwaitingCommit";
// A caller that connects and never finishes its request is not kept waiting on.
constexpr int RequestTimeoutMs = 10000;
// How often requests held back by a busy window are tried again.
constexpr int RetryMs = 300;
constexpr int ReconnectPauseMs = 100;
// Unix socket paths are limited to about 108 bytes.
constexpr int MaxSocketPath = 100;
} // namespace

SingleInstance::SingleInstance(const QString &workFolder, QObject *parent)
    : QObject(parent), m_workFolder(workFolder), m_serverName(serverNameFor(workFolder)),
      m_retry(new QTimer(this))
{
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &SingleInstance::deliver);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockFilePath() const
{
    return m_workFolder + QLatin1String("/quillary.lock");
}

QString SingleInstance::serverNameFor(const QString &workFolder)
{
    const QFileInfo folder(workFolder);
    const QString canonical = folder.canonicalFilePath();
    const QByteArray key =
        QFile::encodeName(canonical.isEmpty() ? folder.absoluteFilePath() : canonical);
    const QString name =
        QStringLiteral("quillary-%1-%2")
            .arg(QString::number(::getuid()),
                 QString::fromLatin1(
                     QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16)));
    // The user's own runtime folder keeps other users from taking or squatting the name.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && runtime.size() + name.size() + 1 <= MaxSocketPath)
        return runtime + QLatin1Char('/') + name;
    return name;
}

SingleInstance::Outcome SingleInstance::start(const QStringList &files, int timeoutMs)
{
    QDir().mkpath(m_workFolder);
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // Only a dead owner makes the lock stale, never its age: a window may stay open for days.
    m_lock->setStaleLockTime(0);

    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    for (;;) {
        if (m_lock->tryLock(0)) {
            listen();
            return Outcome::Owner;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_error = m_lock->error() == QLockFile::PermissionError
                          ? tr("No permission to write in %1.").arg(m_workFolder)
                          : tr("The lock file %1 could not be made.").arg(lockFilePath());
            return Outcome::Failed;
        }
        // The owner may still be between taking the lock and listening, or just ending.
        socket.abort();
        socket.connectToServer(m_serverName);
        const int remaining = int(qMax<qint64>(1, timeoutMs - clock.elapsed()));
        if (socket.waitForConnected(qMin(remaining, 1000)))
            return handOver(socket, files, int(qMax<qint64>(1, timeoutMs - clock.elapsed())));
        if (clock.elapsed() >= timeoutMs) {
            qCWarning(lcInstance) << "the running window did not answer within" << timeoutMs
                                  << "ms";
            return Outcome::NoAnswer;
        }
        QThread::msleep(ReconnectPauseMs);
    }
}

SingleInstance::Outcome SingleInstance::handOver(QLocalSocket &socket, const QStringList &files,
                                                 int remainingMs)
{
    QElapsedTimer clock;
    clock.start();
    socket.write(encodeRequest(files));
    if (!socket.waitForBytesWritten(remainingMs))
        return Outcome::NoAnswer;
    while (socket.bytesAvailable() < 1) {
        const qint64 left = remainingMs - clock.elapsed();
        if (left <= 0 || !socket.waitForReadyRead(int(left))) {
            qCWarning(lcInstance) << "the running window did not answer within" << remainingMs
                                  << "ms";
            return Outcome::NoAnswer;
        }
    }
    char answer = 0;
    socket.getChar(&answer);
    if (answer != Accepted || !socket.putChar(Committed) || !socket.waitForBytesWritten(1000))
        return Outcome::NoAnswer;
    return Outcome::HandedOver;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    // We hold the lock, so a socket by this name was left by an owner that died.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        qCWarning(lcInstance) << "later starts cannot reach this window:"
                              << m_server->errorString();
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        QTimer::singleShot(RequestTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    const QVariant accepted = socket->property(AwaitingCommit);
    if (accepted.isValid()) {
        char answer = 0;
        if (socket->getChar(&answer) && answer == Committed) {
            socket->setProperty(AwaitingCommit, QVariant());
            socket->disconnectFromServer();
            m_pending.append(accepted.toStringList());
            deliver();
        } else if (answer != 0) {
            socket->abort();
        }
        return;
    }
    // Only this one socket's bytes gather under its property, so callers never mix.
    QByteArray buffer = socket->property("request").toByteArray() + socket->readAll();
    QStringList files;
    switch (decodeRequest(buffer, &files)) {
    case Decoded::Incomplete:
        socket->setProperty("request", buffer);
        return;
    case Decoded::Malformed:
        qCWarning(lcInstance) << "ignored a malformed request";
        socket->abort();
        socket->deleteLater();
        return;
    case Decoded::Complete:
        // A sender that has gone meanwhile never reads this and never commits: its files are
        // dropped with the socket.
        socket->setProperty("request", QVariant());
        socket->setProperty(AwaitingCommit, files);
        socket->putChar(Accepted);
        return;
    }
}

void SingleInstance::startDelivering(const QStringList &firstFiles, std::function<bool()> busy)
{
    // Files named at this start come before any handed over while the window was built.
    if (!firstFiles.isEmpty())
        m_pending.prepend(firstFiles);
    m_busy = std::move(busy);
    m_delivering = true;
    m_retry->start(0);
}

void SingleInstance::deliver()
{
    // A slot that runs a local event loop may bring the next request in: it waits its turn.
    if (!m_delivering || m_inDelivery)
        return;
    while (!m_pending.isEmpty()) {
        if (m_busy && m_busy()) {
            m_retry->start(RetryMs);
            return;
        }
        m_inDelivery = true;
        emit requested(m_pending.takeFirst());
        m_inDelivery = false;
    }
}

QByteArray SingleInstance::encodeRequest(const QStringList &files)
{
    QByteArrayList names;
    for (const QString &file : files) {
        if (QDir::isAbsolutePath(file))
            names.append(QFile::encodeName(file));
    }
    const QByteArray body = names.join('\0');
    QByteArray request = Magic;
    request.resize(HeaderSize);
    qToBigEndian<quint32>(quint32(body.size()), request.data() + Magic.size());
    return request + body;
}

SingleInstance::Decoded SingleInstance::decodeRequest(const QByteArray &buffer, QStringList *files)
{
    if (!buffer.startsWith(Magic.left(qMin(buffer.size(), Magic.size()))))
        return Decoded::Malformed;
    if (buffer.size() < HeaderSize)
        return Decoded::Incomplete;
    const quint32 bodySize = qFromBigEndian<quint32>(buffer.constData() + Magic.size());
    if (bodySize > MaxBodyBytes)
        return Decoded::Malformed;
    if (buffer.size() < HeaderSize + qsizetype(bodySize))
        return Decoded::Incomplete;
    if (buffer.size() > HeaderSize + qsizetype(bodySize))
        return Decoded::Malformed;

    QStringList names;
    if (bodySize > 0) {
        const QByteArrayList parts = buffer.mid(HeaderSize).split('\0');
        for (const QByteArray &part : parts) {
            const QString name = QFile::decodeName(part);
            if (!QDir::isAbsolutePath(name))
                return Decoded::Malformed;
            names.append(name);
        }
    }
    *files = names;
    return Decoded::Complete;
}
