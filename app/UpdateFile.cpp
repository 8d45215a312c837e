#include "UpdateFile.h"

#include <QXmlStreamReader>

namespace {
enum class Field
{
    None,
    Version,
    Path
};
} // namespace

UpdateFile::UpdateFile(QString version, QVersionNumber number, QUrl address)
    : m_version(std::move(version)), m_number(std::move(number)), m_address(std::move(address))
{
}

std::optional<QVersionNumber> UpdateFile::versionFrom(const QString &text)
{
    qsizetype end = 0;
    const QVersionNumber number = QVersionNumber::fromString(text, &end);
    // fromString stops at the first character that does not fit and accepts "14.": neither
    // is a version the host meant.
    if (number.isNull() || end != text.size() || text.endsWith(QLatin1Char('.')))
        return std::nullopt;
    return number.normalized();
}

std::optional<UpdateFile> UpdateFile::parse(const QByteArray &body)
{
    if (body.size() > MaximumSize)
        return std::nullopt;

    QXmlStreamReader xml(body);
    QString texts[3];
    bool seen[3] = {false, false, false};
    Field capturing = Field::None;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        // Only the text directly at the start of the element counts, as its first child.
        if (capturing != Field::None && token == QXmlStreamReader::Characters) {
            texts[int(capturing)] += xml.text();
            continue;
        }
        capturing = Field::None;
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth != 2)
                continue;
            const Field field = xml.name() == QLatin1String("version") ? Field::Version
                                : xml.name() == QLatin1String("path")  ? Field::Path
                                                                       : Field::None;
            if (field != Field::None && !seen[int(field)]) {
                seen[int(field)] = true;
                capturing = field;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (xml.hasError())
        return std::nullopt;

    const QString version = texts[int(Field::Version)].trimmed();
    const QString path = texts[int(Field::Path)].trimmed();
    if (version.isEmpty() || path.isEmpty())
        return std::nullopt;
    const std::optional<QVersionNumber> number = versionFrom(version);
    if (!number)
        return std::nullopt;

    // The address is handed to the desktop's opener: only a web address may get there.
    const QUrl address(path, QUrl::TolerantMode);
    const QString scheme = address.scheme();
    if (!address.isValid() || address.isRelative() || address.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return UpdateFile(version, *number, address);
}

bool UpdateFile::isNewerThan(const QString &runningVersion) const
{
    const std::optional<QVersionNumber> running = versionFrom(runningVersion);
    return running && QVersionNumber::compare(m_number, *running) > 0;
}
