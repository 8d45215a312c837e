#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {
bool loadInto(QCoreApplication *app, const QLocale &locale, const QString &name,
              const QStringList &folders)
{
    auto *translator = new QTranslator(app);
    for (const QString &folder : folders) {
        if (translator->load(locale, name, QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}
} // namespace

bool installTranslators(const QLocale &locale)
{
    QCoreApplication *app = QCoreApplication::instance();
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList folders = {programDir + QStringLiteral("/locale"),
                                 programDir + QStringLiteral("/../share/quillary/translations"),
                                 QStringLiteral(":/i18n")};
    // Installed first, so that any other language's texts take precedence.
    loadInto(app, QLocale(QLocale::English), QStringLiteral("quillary"), folders);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return true;
    if (!loadInto(app, locale, QStringLiteral("quillary"), folders))
        return false;
    // Only with our own texts, so that a window is never half in one language, half in another.
    loadInto(app, locale, QStringLiteral("qt"),
             {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    return true;
}
