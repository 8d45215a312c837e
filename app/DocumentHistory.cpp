#include "DocumentHistory.h"

#include "EditHistory.h"
#include "FolderHelpers.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {
const QString KeptKind = QStringLiteral("Removed");

qint64 bytesOf(const QList<PageListWidget::KeptPage> &pages)
{
    qint64 bytes = 0;
    for (const PageListWidget::KeptPage &page : pages)
        bytes += QFileInfo(page.files.image).size() + QFileInfo(page.files.thumbnail).size();
    return bytes;
}
} // namespace

DocumentHistory::DocumentHistory(PageListWidget *pages, EditHistory *edits, QObject *parent,
                                 int maxSteps, qint64 maxBytes)
    : QObject(parent), m_pages(pages), m_edits(edits), m_maxSteps(maxSteps), m_maxBytes(maxBytes)
{
    // Pages a crashed run kept for undo are gone for good with it.
    removeStaleRunFolders(m_pages->workFolder(), KeptKind);
}

DocumentHistory::~DocumentHistory() = default;

QString DocumentHistory::folder() const
{
    return m_folder ? m_folder->path() : QString();
}

QString DocumentHistory::keepingFolder(QString *error)
{
    if (!m_folder) {
        // Beside "Current" on the same disk, so keeping a page is a rename.
        auto made =
            std::make_unique<QTemporaryDir>(runFolderPattern(KeptKind, m_pages->workFolder()));
        if (!made->isValid()) {
            *error = made->errorString();
            return QString();
        }
        m_folder = std::move(made);
    }
    return m_folder->path();
}

WriteResult DocumentHistory::remove(const QList<int> &positions)
{
    Step step;
    step.before = m_pages->pageIds();
    step.removed = positions;
    const WriteResult removed = apply(step, true);
    if (step.after == step.before)
        return removed;
    if (!isWhole(step)) {
        forget(step);
        const WriteResult dropped =
            failAll(tr("The removed pages could not be kept, so the removal cannot be undone."));
        return removed ? dropped : removed;
    }
    record(step);
    return removed;
}

WriteResult DocumentHistory::move(const std::function<WriteResult()> &command)
{
    Step step;
    step.before = m_pages->pageIds();
    const WriteResult moved = command();
    step.after = m_pages->pageIds();
    if (step.after == step.before)
        return moved;
    step.age = m_edits->tick();
    record(step);
    return moved;
}

void DocumentHistory::record(const Step &step)
{
    // A new step ends what was taken back.
    for (const Step &later : std::as_const(m_redo))
        forget(later);
    m_redo.clear();
    m_undo.append(step);
    trim();
    emit changed();
}

WriteResult DocumentHistory::apply(Step &step, bool forwards)
{
    step.age = m_edits->tick();
    if (step.removed.isEmpty())
        return m_pages->arrange(forwards ? step.after : step.before);
    if (!forwards) {
        const WriteResult putBack = m_pages->putBack(step.kept);
        // Once back in the document, the pages own their files again.
        if (m_pages->pageIds() != step.after) {
            step.kept.clear();
            step.bytes = 0;
        }
        return putBack;
    }
    QString error;
    const QString folder = keepingFolder(&error);
    step.kept.clear();
    const WriteResult removed =
        folder.isEmpty() ? m_pages->removePages(step.removed)
                         : m_pages->removePages(step.removed, folder, &step.kept);
    step.after = m_pages->pageIds();
    step.bytes = bytesOf(step.kept);
    return removed;
}

WriteResult DocumentHistory::undo()
{
    return take(true);
}

WriteResult DocumentHistory::redo()
{
    return take(false);
}

WriteResult DocumentHistory::take(bool back)
{
    QList<Step> &from = back ? m_undo : m_redo;
    if (from.isEmpty())
        return {false, QString()};
    Step step = from.takeLast();
    const QList<quint64> start = m_pages->pageIds();
    // Anything else that changed the pages ends the history (dropAll); this is the last guard.
    if (start != (back ? step.after : step.before)) {
        forget(step);
        return failAll(tr("The pages have changed meanwhile; this can no longer be undone."));
    }
    const WriteResult applied = apply(step, !back);
    if (!applied && m_pages->pageIds() == start) {
        // Refused before anything changed (another page command runs): try again later.
        from.append(step);
        return applied;
    }
    if (!applied || !isWhole(step) || m_pages->pageIds() != (back ? step.before : step.after)) {
        forget(step);
        const WriteResult dropped = failAll(
            applied ? tr("The pages could not be kept, so this can no longer be undone.")
                    : applied.error);
        return applied ? dropped : applied;
    }
    (back ? m_redo : m_undo).append(step);
    if (!back)
        trim();
    emit changed();
    if (back && !step.removed.isEmpty())
        m_pages->setCurrentPage(*std::min_element(step.removed.cbegin(), step.removed.cend()));
    return applied;
}

bool DocumentHistory::isWhole(const Step &step) const
{
    // A removal in effect keeps every page it removed.
    const bool inEffect = m_pages->pageIds() == step.after;
    return step.removed.isEmpty() || !inEffect ||
           step.kept.size() == step.before.size() - step.after.size();
}

quint64 DocumentHistory::newestAge(bool undo) const
{
    const QList<Step> &steps = undo ? m_undo : m_redo;
    return steps.isEmpty() ? 0 : steps.last().age;
}

void DocumentHistory::forget(const Step &step)
{
    QStringList pages;
    for (const PageListWidget::KeptPage &page : step.kept) {
        (void)PageFolder::removeFiles(page.files);
        pages << page.files.image;
    }
    if (!pages.isEmpty())
        m_edits->forgetPages(pages);
}

void DocumentHistory::trim()
{
    const auto bytes = [this] {
        qint64 total = 0;
        for (const Step &step : std::as_const(m_undo))
            total += step.bytes;
        return total;
    };
    while (m_undo.size() > 1 && (m_undo.size() > m_maxSteps || bytes() > m_maxBytes))
        forget(m_undo.takeFirst());
}

WriteResult DocumentHistory::failAll(const QString &message)
{
    dropAll();
    return {false, message};
}

void DocumentHistory::dropAll()
{
    if (m_undo.isEmpty() && m_redo.isEmpty())
        return;
    for (const Step &step : std::as_const(m_undo))
        forget(step);
    for (const Step &step : std::as_const(m_redo))
        forget(step);
    m_undo.clear();
    m_redo.clear();
    emit changed();
}
