#include "OcrLanguages.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace {
const QLatin1String dataSuffix(".traineddata");

QStringList codes(const QString &choice)
{
    return choice.split(QLatin1Char('+'), Qt::SkipEmptyParts);
}
} // namespace

QString OcrLanguages::dataFolder()
{
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        return QDir::cleanPath(prefix);
    for (const QLatin1String folder : {QLatin1String("/usr/share/tesseract-ocr/5/tessdata"),
                                       QLatin1String("/usr/share/tesseract-ocr/4.00/tessdata"),
                                       QLatin1String("/usr/share/tessdata")}) {
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return QLatin1String("/usr/share/tesseract-ocr/5/tessdata");
}

QStringList OcrLanguages::installed()
{
    QStringList languages;
    const QFileInfoList files = QDir(dataFolder())
                                    .entryInfoList({QLatin1String("*") + dataSuffix},
                                                   QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files) {
        const QString code = file.completeBaseName();
        if (code != QLatin1String("osd") && code != QLatin1String("equ"))
            languages.append(code);
    }
    return languages;
}

QStringList OcrLanguages::missing(const QString &choice)
{
    QStringList absent;
    const QStringList present = installed();
    const QStringList wanted = codes(choice);
    for (const QString &code : wanted) {
        if (!present.contains(code))
            absent.append(code);
    }
    if (wanted.isEmpty())
        absent.append(QString());
    return absent;
}

QStringList OcrLanguages::offered()
{
    const QStringList languages = installed();
    QStringList choices = languages;
    const QString english = QStringLiteral("eng");
    if (languages.contains(english)) {
        for (const QString &code : languages) {
            if (code != english)
                choices.append(english + QLatin1Char('+') + code);
        }
    }
    return choices;
}

QString OcrLanguages::displayName(const QString &choice)
{
    // Qt names languages in English or in their own words only: an English interface shows the
    // English names, any other each language's own ("русский + English"), never a third one's.
    const QLocale::Language shown = QLocale().language();
    const bool englishNames = shown == QLocale::English || shown == QLocale::C;
    QStringList names;
    for (const QString &code : codes(choice)) {
        // Tesseract's codes are three-letter ISO 639-2 codes, which QLocale also reads.
        const QLocale locale(code);
        const bool known = locale.language() != QLocale::C && code.size() == 3;
        if (!known)
            names.append(code);
        else if (englishNames || locale.language() == QLocale::English)
            names.append(QLocale::languageToString(locale.language()));
        else
            names.append(locale.nativeLanguageName());
    }
    return names.join(QLatin1String(" + "));
}
