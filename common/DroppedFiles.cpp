#include "DroppedFiles.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QStringList droppedFiles(const QDropEvent *event)
{
    QStringList files;
    // A drag of our own (a page out of the strip) carries the page's file: that is no new page.
    if (event->source() || !(event->possibleActions() & Qt::CopyAction) ||
        !event->mimeData()->hasUrls())
        return files;
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}
