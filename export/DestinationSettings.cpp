#include "DestinationSettings.h"

#include "SettingsKeys.h"

#include <QDate>
#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {
struct Keys
{
    const SettingKey &place;
    const SettingKey &folder;
    const SettingKey &name;
    const SettingKey &needOpen;
    // NeedOpen has no default of its own: the PDF dialog reads true where the notice reads
    // false, so the record names its own.
    bool needOpenDefault;
};

Keys keysOf(DestinationSettings::Kind kind)
{
    using Kind = DestinationSettings::Kind;
    switch (kind) {
    case Kind::Image:
        return {Settings::ImageFolderPlace, Settings::ImageDocFolder, Settings::ImageDocName,
                Settings::ImageNeedOpen, false};
    case Kind::Word:
        return {Settings::WordFolderPlace, Settings::WordDocFolder, Settings::WordDocName,
                Settings::WordNeedOpen, false};
    case Kind::Djvu:
        return {Settings::DjvuFolderPlace, Settings::DjvuDocFolder, Settings::DjvuDocName,
                Settings::DjvuNeedOpen, false};
    case Kind::Pdf:
        break;
    }
    return {Settings::FolderPlace, Settings::DocFolder, Settings::DocName, Settings::NeedOpen,
            true};
}
} // namespace

DestinationSettings DestinationSettings::read(Kind kind)
{
    const Keys keys = keysOf(kind);
    DestinationSettings record;
    record.folderPlace = readSetting(keys.place).toInt();
    record.folder = readSetting(keys.folder).toString();
    record.name = defaultName(kind);
    record.needOpen = readSetting(keys.needOpen, keys.needOpenDefault).toBool();
    return record;
}

void DestinationSettings::write(Kind kind) const
{
    const Keys keys = keysOf(kind);
    writeSetting(keys.place, folderPlace);
    writeSetting(keys.folder, folder);
    writeSetting(keys.name, name);
    writeSetting(keys.needOpen, needOpen);
}

QString DestinationSettings::defaultName(Kind kind)
{
    if (kind == Kind::Image)
        return tr("Document");
    return tr("Document %1").arg(documentDate(QDate::currentDate()));
}

QString DestinationSettings::documentDate(const QDate &date)
{
    // The long form without the weekday: readable in the user's language, and free of the
    // slashes of short forms, which a file name can't hold.
    static const QRegularExpression weekday(QStringLiteral("[,\\s]*dddd[,\\s]*"));
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.replace(weekday, QStringLiteral(" "));
    return locale.toString(date, format.trimmed());
}

QString DestinationSettings::extension(Kind kind)
{
    switch (kind) {
    case Kind::Pdf:
        return QStringLiteral(".pdf");
    case Kind::Word:
        return QStringLiteral(".docx");
    case Kind::Djvu:
        return QStringLiteral(".djvu");
    case Kind::Image:
        break;
    }
    return QString();
}

QString DestinationSettings::outputFolder() const
{
    switch (folderPlace) {
    case Desktop:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    case Documents:
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    default:
        return folder;
    }
}

QString DestinationSettings::bareName(const QString &extension) const
{
    // Only a trailing extension, in any case: "report.pdfs" and "Q3 .pdf review" keep theirs.
    QString bare = name;
    if (!extension.isEmpty() && bare.endsWith(extension, Qt::CaseInsensitive))
        bare.chop(extension.size());
    return bare;
}

QString DestinationSettings::outputPath(const QString &extension) const
{
    return QDir::toNativeSeparators(outputFolder() + QLatin1Char('/') + bareName(extension) +
                                    extension);
}

DestinationSettings::Problem DestinationSettings::check(const QString &extension) const
{
    // An empty folder would put the file into "/", a relative one into wherever the program
    // happened to start.
    const QString target = outputFolder();
    if (target.trimmed().isEmpty() || QDir::isRelativePath(target))
        return Problem::NoFolder;
    const QString bare = bareName(extension);
    if (bare.trimmed().isEmpty())
        return Problem::NoName;
    // A backslash is a separator to users coming from other systems, so it is refused too.
    if (bare.contains(QLatin1Char('/')) || bare.contains(QLatin1Char('\\')) ||
        bare == QLatin1String(".") || bare == QLatin1String(".."))
        return Problem::BadName;
    return Problem::None;
}
