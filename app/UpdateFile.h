#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVersionNumber>

#include <optional>

// The update file the web host serves: the newest released version and where to download it.
// No widgets; any thread.
class UpdateFile
{
public:
    // Answers longer than this are not an update file.
    static constexpr qint64 MaximumSize = 64 * 1024;

    // Reads the root's first "version" and "path" children. Nothing when the text is not
    // well-formed XML, either element is empty, the version is not a dotted number, or the path
    // is not an absolute http or https address: such a file comes from a broken or foreign
    // server and is never acted on.
    static std::optional<UpdateFile> parse(const QByteArray &body);

    // A dotted version number and nothing else ("14.10", not "14.1b" or "14..1").
    static std::optional<QVersionNumber> versionFrom(const QString &text);

    // Compared as dotted numbers: 15 and 14.10 are newer than 14.1, 14.1.0 is not.
    bool isNewerThan(const QString &runningVersion) const;

    QString version() const { return m_version; }
    QUrl address() const { return m_address; }

private:
    UpdateFile(QString version, QVersionNumber number, QUrl address);

    QString m_version;
    QVersionNumber m_number;
    QUrl m_address;
};
