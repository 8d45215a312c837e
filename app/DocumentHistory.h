#pragma once

#include "ImageFileWriter.h"
#include "PageListWidget.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class EditHistory;
class QTemporaryDir;

// Removals and moves of pages, so that Undo and Redo take them back and make them again
// like the edits of a page. A removed page's files are kept aside in a private folder of
// this run inside the work folder: moved there by a rename (no copy, whatever the size),
// never under "Current", so no restore takes them for pages; its edit history follows it.
//
// Steps share the edit history's clock, so the caller can tell whether the last change of
// the page shown or of the document came last. At most maxSteps steps are kept and, beyond
// maxBytes of kept files, the oldest steps go first, never the newest; every step goes when
// pages are added (dropAll), since their positions no longer hold.
//
// GUI thread only. The page store and the edit history are not owned.
class DocumentHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 DefaultBytes = qint64(2) * 1024 * 1024 * 1024;

    DocumentHistory(PageListWidget *pages, EditHistory *edits, QObject *parent = nullptr,
                    int maxSteps = 10, qint64 maxBytes = DefaultBytes);
    ~DocumentHistory() override;

    // Removes the pages at positions (see PageListWidget::removePages), keeping them for
    // undo. When they cannot be kept the removal still happens, every step goes, and the
    // result says so.
    WriteResult remove(const QList<int> &positions);
    // Runs command, a move of pages, and keeps the order before it for undo.
    WriteResult move(const std::function<WriteResult()> &command);
    // Pages were added: no step can be taken back any longer.
    void dropAll();

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    // The clock tick of the step an undo (redo) would take; 0 when there is none.
    quint64 newestAge(bool undo) const;
    // Takes the last step back (makes it again). After an undo of a removal the first page
    // put back is current and announced. On failure every step goes: the pages no longer
    // match them.
    WriteResult undo();
    WriteResult redo();

    // Where removed pages are kept; empty while none was.
    QString folder() const;

signals:
    void changed();

private:
    struct Step
    {
        QList<quint64> before; // page ids before the step
        QList<quint64> after;
        QList<int> removed; // positions, for a removal
        QList<PageListWidget::KeptPage> kept; // while the removal is in effect
        qint64 bytes = 0;
        quint64 age = 0;
    };

    void record(const Step &step);
    WriteResult take(bool back);
    // Applies step forwards (removal, or the order after) or backwards.
    WriteResult apply(Step &step, bool forwards);
    QString keepingFolder(QString *error);
    void forget(const Step &step);
    void trim();
    bool isWhole(const Step &step) const;
    WriteResult failAll(const QString &message);

    PageListWidget *m_pages;
    EditHistory *m_edits;
    int m_maxSteps;
    qint64 m_maxBytes;
    std::unique_ptr<QTemporaryDir> m_folder;
    QList<Step> m_undo;
    QList<Step> m_redo;
};
