#pragma once

#include "ScannerLibrary.h"

#include <QString>

#include <sane/sane.h>

#include <memory>

class DibBuffer;

// Reads one image from a started SANE device, frame by frame and in chunks, and builds the
// bitmap the rest of the program takes: 1-bit line art (set bits white), 8-bit grey with a
// grey palette, 24-bit colour, 16-bit colour samples as 48 bits; rows stored top-down.
// Between chunks it reports progress and lets the GUI process events, and it stops when
// asked to.
//
// Nothing the driver announces is trusted: every frame's parameters are checked on their
// own and against the first frame, and the bytes a page may take are bounded before any
// memory is set aside, so a faulty driver gives an error instead of a huge allocation.
//
// GUI thread only; the handle stays owned by the caller.
class SanePageReader
{
public:
    using CancelQuery = std::function<bool()>;

    // Raw bytes one page may take, all frames together: the largest page a bitmap may hold
    // (DibView's pixel cap) at 16-bit colour.
    static const qint64 MaxPageBytes;

    SanePageReader(SANE_Handle handle, ScannerLibrary::ProgressHandler progress,
                   CancelQuery cancelRequested);
    virtual ~SanePageReader() = default;

    // The first frame must have been started. SANE_STATUS_GOOD with the page, or the status
    // that stopped the reading (the device is then cancelled).
    SANE_Status read(double dpi, std::unique_ptr<DibBuffer> *page);
    // User wording of the last failure when the driver's description of the page was the
    // cause (a status alone would mislead there); empty otherwise.
    QString errorText() const { return m_errorText; }

protected:
    // The device calls on the handle; tests put a scripted device in their place.
    virtual SANE_Status startFrame();
    virtual SANE_Status frameParameters(SANE_Parameters *parameters);
    virtual SANE_Status readData(SANE_Byte *buffer, SANE_Int maxLength, SANE_Int *length);
    virtual void cancelDevice();

private:
    SANE_Status readPage(double dpi, std::unique_ptr<DibBuffer> *page);
    SANE_Status readFrame(const SANE_Parameters &parameters, int frame, int frames, qint64 limit,
                          QByteArray *data);
    SANE_Status refuse(SANE_Status status, const QString &text);
    void report(int percent);

    SANE_Handle m_handle;
    ScannerLibrary::ProgressHandler m_progress;
    CancelQuery m_cancelRequested;
    int m_lastPercent = -1;
    QString m_errorText;
};
