#pragma once

#include "ScannerLibrary.h"
#include "ScannerSource.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QVariant>

#include <memory>

class DibBuffer;

// Scanner access through SANE. The device chosen in the source dialog (remembered in the
// settings) is opened, or the first one found. A run's settings (colour mode, depth,
// resolution, flatbed or feeder) go to the device before its first page. A feeder run ends
// when the feeder reports no paper; a flatbed run gives one page. Any other failing status
// ends the run as an error, and the device is closed at the end of every run so that it is
// free for other programs and a device that went away is looked up afresh.
//
// GUI thread only. SANE is started with the first object and stopped with the last one.
// Pages handed out by acquirePage() stay owned by this object until releasePage().
class SaneScannerLibrary : public ScannerLibrary
{
public:
    SaneScannerLibrary();
    ~SaneScannerLibrary() override;

    QStringList sourceNames() override;
    bool selectSource(QWidget *parent) override;
    // The remembered device when it is reachable, else the first one, from the devices last
    // looked up (looked up now when never).
    QString currentSourceName() override;

    void setDriverDialogShown(bool shown) override;
    void setAutoContrast(bool on) override;
    bool open() override;
    void setFeederEnabled(bool on) override;
    // A duplex source where the device has one, else its one-sided feeder.
    void setDuplex(bool on) override;
    // From the device's list of sources; the device is opened briefly unless a run has it.
    bool offersDuplex() override;
    void setTransferCount(int count) override;
    void setMultipleTransfer(bool on) override;
    void setResolution(double dpi) override;
    void setScanArea(const QRectF &millimetres) override;
    bool scanAreaApplied() const override;
    const DibBuffer *acquirePage(int colourMode) override;
    void releasePage(const DibBuffer *page) override;
    bool transferEnded() override;
    void endFeederRun() override;
    bool hasError() const override;
    QString errorText() const override;
    void cancel() override;
    void setProgressHandler(ProgressHandler handler) override;

    // The source to set from a device's choices: a feeder or the glass, both sides of the
    // sheet when duplex and offered; never a feeder's back side alone. Empty when none fits.
    static QString pickSource(const QStringList &choices, bool feeder, bool duplex);

    // Every device SANE can reach now.
    QList<ScannerSource> sources();
    // The device runs open, by its SANE name, instead of the remembered one (the command line
    // names its own without touching the settings); empty: the remembered one.
    void setDevice(const QString &name) { m_device = name; }
    // SANE name of the device a run has open; empty between runs.
    QString openDevice() const { return m_deviceName; }
    // A device option by its SANE name (a scan area, a device's own setting), given to the
    // device before the first page of every later run and, when a device is open between
    // pages, at once. An option the device lacks is skipped.
    void setDeviceOption(const QByteArray &name, const QVariant &value);

private:
    struct PageResult
    {
        int status = 0;
        std::unique_ptr<DibBuffer> page;
        // The reader's own wording, when the status alone would mislead.
        QString errorText;
    };

    // The remembered device when it is in list, else the first one.
    QString deviceToOpen(const QList<ScannerSource> &list) const;
    PageResult readNextPage(int colourMode);
    void applyRunSettings(int colourMode);
    int pagesWanted() const;
    // Ends the run after a page could not be read; NO_DOCS and a cancel are no error.
    // reason, when given, is shown instead of the status's wording.
    void stopRun(int status, const QString &reason = {});
    void closeDevice();
    void setError(const QString &text);

    bool m_initialised = false;
    void *m_handle = nullptr;
    QString m_deviceName;
    QString m_device;
    QList<ScannerSource> m_lastSources;
    bool m_sourcesLookedUp = false;

    bool m_driverDialog = false;
    bool m_autoContrast = true;
    bool m_feeder = false;
    bool m_duplex = false;
    QHash<QString, bool> m_duplexOffered;
    int m_transferCount = 1;
    bool m_multipleTransfer = false;
    double m_resolution = 300.0;
    QRectF m_area;
    bool m_areaApplied = false;
    QList<QPair<QByteArray, QVariant>> m_deviceOptions;

    bool m_settingsApplied = false;
    bool m_feederActive = false;
    int m_appliedColourMode = 0;
    double m_appliedResolution = 300.0;
    int m_pagesDelivered = 0;
    bool m_cancelRequested = false;
    std::unique_ptr<DibBuffer> m_page;
    std::unique_ptr<PageResult> m_nextPage;
    bool m_error = false;
    QString m_errorText;
    ProgressHandler m_progress;
};
