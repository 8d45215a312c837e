#include "StartUp.h"

#include "SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

#include <utility>

#ifndef QUILLARY_DEFAULT_HOST
#define QUILLARY_DEFAULT_HOST "quillary.example.org"
#endif
#ifndef QUILLARY_RUSSIAN_HOST
#define QUILLARY_RUSSIAN_HOST "ru.quillary.example.org"
#endif

namespace {
const QLatin1String LanguageOption("--lang");

// The value of "--lang CODE" or "--lang=CODE"; empty when not given.
QString languageOption(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (argument == LanguageOption && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (argument.startsWith(LanguageOption + QLatin1Char('=')))
            return argument.mid(LanguageOption.size() + 1);
    }
    return QString();
}
} // namespace

namespace StartUp {

bool isUninstallRun(const QStringList &arguments)
{
    return arguments.size() > 1 && arguments.contains(QLatin1String("-un"), Qt::CaseSensitive);
}

InfoRequest infoRequest(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            return InfoRequest::Help;
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return InfoRequest::Version;
    }
    return InfoRequest::None;
}

QString helpText()
{
    return QCoreApplication::translate(
        "StartUp",
        "Usage: quillary [FILE...]\n"
        "Turns paper into electronic documents: scan pages or load image files and PDFs, clean\n"
        "them, and export PDF, Word, DjVu or a folder of images.\n"
        "\n"
        "  FILE...        image files and PDFs to add as pages; a window already open takes them\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "  --lang CODE    the language of the window, as ru or en_US, whatever the system's\n"
        "  -un            the uninstall pass: no window, exit status 1 after two seconds\n"
        "\n"
        "Documents without a window, for scripts: quillary-batch --help\n");
}

QStringList commandLineFiles(const QStringList &arguments, const QString &workingDir)
{
    QStringList files;
    bool options = true;
    bool languageValue = false;
    for (const QString &argument : arguments.mid(1)) {
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (std::exchange(languageValue, false) && options)
            continue;
        languageValue = options && argument == LanguageOption;
        if (argument.isEmpty() || (options && argument.startsWith(QLatin1Char('-'))))
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:"))) {
            path = QUrl(argument).toLocalFile();
            if (path.isEmpty())
                continue;
        }
        files.append(QDir::cleanPath(QDir(workingDir).absoluteFilePath(path)));
    }
    return files;
}

int runUninstall()
{
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    return 1;
}

QString webHostFor(const QLocale &locale)
{
    const QString overridden = qEnvironmentVariable("QUILLARY_WEB_HOST");
    if (!overridden.isEmpty())
        return overridden;
    return QLatin1String(locale.language() == QLocale::Russian ? QUILLARY_RUSSIAN_HOST
                                                               : QUILLARY_DEFAULT_HOST);
}

QString vendorHost()
{
    const QString overridden = qEnvironmentVariable("QUILLARY_WEB_HOST");
    return overridden.isEmpty() ? QLatin1String(QUILLARY_DEFAULT_HOST) : overridden;
}

void storeWebHost()
{
    writeSetting(Settings::AppUrl, webHostFor(QLocale::system()));
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillary"));
    QCoreApplication::setApplicationVersion(QLatin1String(ProductVersion));
}

QLocale chooseLocale(const QStringList &arguments)
{
    QString code = languageOption(arguments);
    if (code.isEmpty())
        code = qEnvironmentVariable("LANGUAGE").section(QLatin1Char(':'), 0, 0);
    if (code.isEmpty())
        return QLocale::system();
    const QLocale locale(code);
    QLocale::setDefault(locale);
    return locale;
}

} // namespace StartUp
