#pragma once

#include "ScannerLibrary.h"

#include <sane/sane.h>

#include <memory>

class DibBuffer;

// Reads one image from a started SANE device, frame by frame and in chunks, and builds the
// bitmap the rest of the program takes: 1-bit line art (set bits white), 8-bit grey with a
// grey palette, 24-bit colour, 16-bit colour samples as 48 bits; rows stored top-down.
// Between chunks it reports progress and lets the GUI process events, and it stops when
// asked to. GUI thread only; the handle stays owned by the caller.
class SanePageReader
{
public:
    using CancelQuery = std::function<bool()>;

    SanePageReader(SANE_Handle handle, ScannerLibrary::ProgressHandler progress,
                   CancelQuery cancelRequested);

    // The first frame must have been started. SANE_STATUS_GOOD with the page, or the status
    // that stopped the reading (the device is then cancelled).
    SANE_Status read(double dpi, std::unique_ptr<DibBuffer> *page);

private:
    SANE_Status readFrame(const SANE_Parameters &parameters, int frame, int frames,
                          QByteArray *data);
    void report(int percent);

    SANE_Handle m_handle;
    ScannerLibrary::ProgressHandler m_progress;
    CancelQuery m_cancelRequested;
    int m_lastPercent = -1;
};
