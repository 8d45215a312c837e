#pragma once

#include <QStringList>

class QDropEvent;

// The local files another program (a file manager) offers in a drag over event, in the order
// given; empty when the drag comes from this program itself, offers no local file or cannot be
// copied. Files are only ever copied in: a drag that may only move would take the user's file
// away. GUI thread only.
QStringList droppedFiles(const QDropEvent *event);
