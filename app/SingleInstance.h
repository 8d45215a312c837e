#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;
class QTimer;

// One window per work folder. The first start holds a lock file in the folder and listens on
// a local socket named after the user and the folder; a later start finds the lock held and
// hands its files over that socket instead of opening a second window on the same pages. A
// lock left behind by a dead process is taken over, and so is its socket name.
// GUI thread only; the lock is held for as long as the object lives.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Owner,      // this process holds the folder; later starts will reach it
        HandedOver, // the running process took the files; this one should end
        NoAnswer,   // a live process holds the folder but did not take the files
        Failed      // the lock file could not be made; see errorString()
    };
    enum class Decoded
    {
        Incomplete,
        Complete,
        Malformed
    };
    Q_ENUM(Decoded)

    explicit SingleInstance(const QString &workFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the folder, or, while another process holds it, hands files (absolute paths, may
    // be empty) to that process, trying for up to timeoutMs. Blocks the calling thread.
    Outcome start(const QStringList &files, int timeoutMs);

    // From the event loop on, emits firstFiles (this start's own), then the requests that
    // arrived meanwhile, then later ones as they come. While busy() answers true (a modal
    // dialog, a batch of pages) they wait and are tried again.
    void startDelivering(const QStringList &firstFiles, std::function<bool()> busy = {});

    QString errorString() const { return m_error; }
    QString lockFilePath() const;
    // Where later starts look for the running one: per user and per work folder.
    static QString serverNameFor(const QString &workFolder);

    // A request on the wire: magic, big-endian byte count, the paths in UTF-8 joined by NUL
    // (which no path can hold). Only absolute paths are sent or accepted. The window answers
    // one byte of acceptance, the sender one byte of commitment, and only a committed request
    // is delivered: files of a start that gave up waiting are never added.
    static QByteArray encodeRequest(const QStringList &files);
    static Decoded decodeRequest(const QByteArray &buffer, QStringList *files);

signals:
    // A later start asked for the window; files, possibly none, are to be added as pages.
    void requested(const QStringList &files);

private:
    bool tryLock();
    void listen();
    Outcome handOver(QLocalSocket &socket, const QStringList &files, int remainingMs);
    void acceptConnection();
    void readRequest(QLocalSocket *socket);
    void deliver();

    QString m_workFolder;
    QString m_serverName;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QTimer *m_retry = nullptr;
    QList<QStringList> m_pending;
    std::function<bool()> m_busy;
    bool m_delivering = false;
    bool m_inDelivery = false;
};
