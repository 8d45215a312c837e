#pragma once

#include "BatchFailure.h"

#include <QImage>
#include <QString>

#include <functional>

// What --scan asks of the scanner.
struct ScanRequest
{
    bool enabled = false;
    // SANE device name; empty: the one the window remembers, else the first found.
    QString device;
    bool feeder = true;
    // As the scanner library takes it: 1 black and white, 2 grey, 4 colour.
    int colourMode = 4;
    int resolution = 300;
    // 0: as many as the feeder holds, one from the flatbed.
    int pages = 0;
};

// Scans through the SANE layer the window uses, one run, handing every page to take as it
// arrives; take returns false (with the failure filled in) to stop the run. A Ctrl+C stops
// the page being read. Main thread.
BatchFailure scanPages(const ScanRequest &request,
                       const std::function<bool(const QImage &page, BatchFailure *failure)> &take);
