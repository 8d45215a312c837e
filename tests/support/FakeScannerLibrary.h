#pragma once

#include "DibBuffer.h"
#include "ScannerLibrary.h"

#include <QtGui>

#include <functional>
#include <memory>
#include <optional>

// A scripted scanner library that records every call in order ("open()", "acquirePage(4)",
// "releasePage(2)" for the second page handed out). GUI thread only.
class FakeScannerLibrary : public ScannerLibrary
{
public:
    // A small 24-bit page whose colour tells it apart from others; no resolution stated.
    static DibBuffer page(QRgb colour, int width = 4, int height = 3);
    // A 24-bit page of picture, rows stored bottom-up as drivers do, with its resolution.
    static DibBuffer pageOf(const QImage &picture);

    explicit FakeScannerLibrary(QStringList names = {QStringLiteral("Fake scanner")})
        : m_names(std::move(names))
    {
    }

    void setOpenResult(bool opens) { m_opens = opens; }
    void setErrorState(bool error) { m_error = error; }
    // A nullopt entry makes that acquisition return nothing.
    void setPages(const QList<std::optional<DibBuffer>> &pages)
    {
        m_script = pages;
        m_next = 0;
    }
    // The feeder empties after these many pages in all (a stack runs out), and at the end.
    void setFeederEmptyAfter(const QList<int> &pages) { m_emptyAfter = pages; }
    // Runs inside acquirePage() before the page is handed out: progress, a rescan, a cancel.
    void setOnAcquire(std::function<void()> hook) { m_onAcquire = std::move(hook); }
    // Whether the scan area is cut by the "device"; else the whole page comes back.
    void setScanAreaApplied(bool applied) { m_areaApplied = applied; }

    QStringList calls() const { return m_calls; }
    // Kept, not recorded: every run sets it.
    QRectF scanArea() const { return m_area; }
    // Pages handed out and not given back yet.
    int pagesOutstanding() const { return int(m_released.count(false)); }
    void reportProgress(int percent)
    {
        if (m_progress)
            m_progress(percent);
    }

    QStringList sourceNames() override
    {
        record("sourceNames()");
        return m_names;
    }
    void setDriverDialogShown(bool shown) override { record("setDriverDialogShown", shown); }
    void setAutoContrast(bool on) override { record("setAutoContrast", on); }
    bool open() override
    {
        record("open()");
        return m_opens;
    }
    void setFeederEnabled(bool on) override { record("setFeederEnabled", on); }
    void setDuplex(bool on) override { record("setDuplex", on); }
    void setScanArea(const QRectF &millimetres) override { m_area = millimetres; }
    bool scanAreaApplied() const override { return m_areaApplied; }
    void setTransferCount(int count) override { record("setTransferCount", count); }
    void setMultipleTransfer(bool on) override { record("setMultipleTransfer", on); }
    void setResolution(double dpi) override { record("setResolution", dpi); }
    const DibBuffer *acquirePage(int colourMode) override;
    void releasePage(const DibBuffer *page) override;
    bool transferEnded() override;
    void endFeederRun() override { record("endFeederRun()"); }
    bool hasError() const override
    {
        record("hasError()");
        return m_error;
    }
    QString errorText() const override
    {
        return m_error ? QStringLiteral("Fake scanner failure.") : QString();
    }
    void cancel() override { record("cancel()"); }
    void setProgressHandler(ProgressHandler handler) override { m_progress = std::move(handler); }

private:
    void record(const char *call) const { m_calls << QLatin1String(call); }
    void record(const char *name, double value) const
    {
        m_calls << QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(value);
    }

    QStringList m_names;
    bool m_opens = true;
    bool m_error = false;
    bool m_areaApplied = false;
    QRectF m_area;
    QList<std::optional<DibBuffer>> m_script;
    int m_next = 0;
    QList<int> m_emptyAfter;
    QList<std::shared_ptr<DibBuffer>> m_handedOut;
    QList<bool> m_released;
    std::function<void()> m_onAcquire;
    ProgressHandler m_progress;
    mutable QStringList m_calls;
};
