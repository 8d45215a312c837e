#include "EditHistory.h"

#include "FolderHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTemporaryDir>

Q_LOGGING_CATEGORY(lcHistory, "quillary.history")

namespace {
// Copies from into to through a temporary file, so a failure leaves to as it was.
bool copyWhole(const QString &from, const QString &to, QString *error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = EditHistory::tr("Can't read %1: %2")
                     .arg(QDir::toNativeSeparators(from), source.errorString());
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        *error = EditHistory::tr("Can't read %1: %2")
                     .arg(QDir::toNativeSeparators(from), source.errorString());
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() ||
        !target.commit()) {
        *error = EditHistory::tr("Can't write %1: %2")
                     .arg(QDir::toNativeSeparators(to), target.errorString());
        target.cancelWriting();
        return false;
    }
    return true;
}
} // namespace

EditHistory::EditHistory(QObject *parent, int maxSteps, qint64 maxBytes)
    : QObject(parent), m_maxSteps(maxSteps), m_maxBytes(maxBytes)
{
}

EditHistory::~EditHistory() = default;

QString EditHistory::folder() const
{
    return m_folder ? m_folder->path() : QString();
}

EditHistory::Version EditHistory::keep(const QString &page, QString *error)
{
    if (!m_folder) {
        const QString pattern = runFolderPattern(QStringLiteral("history"));
        if (pattern.isEmpty()) {
            *error = EditHistory::tr("There is no folder for temporary files.");
            return {};
        }
        // One folder per run: several runs (and tests) may share the temporary folder.
        auto made = std::make_unique<QTemporaryDir>(pattern);
        if (!made->isValid()) {
            *error = made->errorString();
            return {};
        }
        m_folder = std::move(made);
    }
    Version version;
    version.age = tick();
    version.file = m_folder->filePath(QStringLiteral("%1.page").arg(version.age));
    if (!copyWhole(page, version.file, error))
        return {};
    version.bytes = QFileInfo(version.file).size();
    m_bytes += version.bytes;
    return version;
}

void EditHistory::forget(const Version &version)
{
    QFile::remove(version.file);
    m_bytes -= version.bytes;
}

void EditHistory::forgetPage(const QString &page)
{
    const Page removed = m_pages.take(page);
    for (const Version &version : removed.undo)
        forget(version);
    for (const Version &version : removed.redo)
        forget(version);
}

WriteResult EditHistory::rewrite(const QString &page, const std::function<WriteResult()> &write)
{
    QString error;
    const Version before = keep(page, &error);
    if (before.file.isEmpty()) {
        qCWarning(lcHistory) << "No undo for this edit:" << error;
        forgetPage(page);
    }
    const WriteResult written = write();
    if (!written) {
        if (!before.file.isEmpty())
            forget(before);
        emit changed();
        return written;
    }
    if (!before.file.isEmpty()) {
        Page &history = m_pages[page];
        for (const Version &later : std::as_const(history.redo))
            forget(later);
        history.redo.clear();
        history.undo.append(before);
        trim(page);
    }
    emit changed();
    return written;
}

void EditHistory::trim(const QString &page)
{
    Page &history = m_pages[page];
    while (history.undo.size() > m_maxSteps)
        forget(history.undo.takeFirst());
    while (m_bytes > m_maxBytes) {
        // The oldest version anywhere, but never the one just kept for this page.
        QString oldestPage;
        quint64 oldestAge = 0;
        for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
            const QList<Version> &undo = it.value().undo;
            const qsizetype usable = it.key() == page ? undo.size() - 1 : undo.size();
            if (usable > 0 && (oldestPage.isEmpty() || undo.first().age < oldestAge)) {
                oldestPage = it.key();
                oldestAge = undo.first().age;
            }
        }
        if (oldestPage.isEmpty())
            break;
        forget(m_pages[oldestPage].undo.takeFirst());
    }
}

bool EditHistory::canUndo(const QString &page) const
{
    const auto it = m_pages.constFind(page);
    return it != m_pages.cend() && !it->undo.isEmpty();
}

bool EditHistory::canRedo(const QString &page) const
{
    const auto it = m_pages.constFind(page);
    return it != m_pages.cend() && !it->redo.isEmpty();
}

WriteResult EditHistory::undo(const QString &page)
{
    return step(page, true);
}

WriteResult EditHistory::redo(const QString &page)
{
    return step(page, false);
}

WriteResult EditHistory::step(const QString &page, bool back)
{
    if (back ? !canUndo(page) : !canRedo(page))
        return {false, QString()};
    QString error;
    const Version present = keep(page, &error);
    if (present.file.isEmpty())
        return {false, error};
    Page &history = m_pages[page];
    QList<Version> &from = back ? history.undo : history.redo;
    QList<Version> &to = back ? history.redo : history.undo;
    if (!copyWhole(from.last().file, page, &error)) {
        forget(present);
        return {false, error};
    }
    forget(from.takeLast());
    to.append(present);
    emit changed();
    return {true, QString()};
}

void EditHistory::renumber(const QStringList &before, const QStringList &after)
{
    QHash<QString, Page> moved;
    for (qsizetype i = 0; i < before.size() && i < after.size(); ++i) {
        const auto it = m_pages.find(before.at(i));
        if (it == m_pages.end())
            continue;
        moved.insert(after.at(i), it.value());
        m_pages.erase(it);
    }
    // What is left belonged to removed pages.
    const QStringList removed = m_pages.keys();
    for (const QString &page : removed)
        forgetPage(page);
    m_pages = moved;
    emit changed();
}

void EditHistory::forgetPages(const QStringList &pages)
{
    for (const QString &page : pages)
        forgetPage(page);
    emit changed();
}

quint64 EditHistory::newestAge(const QString &page, bool undo) const
{
    const auto it = m_pages.constFind(page);
    if (it == m_pages.cend())
        return 0;
    const QList<Version> &versions = undo ? it->undo : it->redo;
    return versions.isEmpty() ? 0 : versions.last().age;
}

void EditHistory::clear()
{
    const QStringList pages = m_pages.keys();
    for (const QString &page : pages)
        forgetPage(page);
    m_bytes = 0;
    m_folder.reset();
    emit changed();
}
