#include "SaneScannerLibrary.h"

#include "DibBuffer.h"
#include "SaneOptions.h"
#include "SanePageReader.h"
#include "SaneStatusText.h"
#include "SettingsKeys.h"
#include "SourceSelectDlg.h"

#include <QCoreApplication>
#include <QHash>
#include <QLoggingCategory>

#include <algorithm>

#include <sane/sane.h>
#include <sane/saneopts.h>

namespace {
Q_LOGGING_CATEGORY(lcSane, "quillary.scan.sane")

// SANE is one per process: started by the first library object, stopped by the last.
int g_saneUsers = 0;
bool g_saneStarted = false;

QString text(const char *source)
{
    return QCoreApplication::translate("SaneScannerLibrary", source);
}

QString pick(const QStringList &choices, std::initializer_list<const char *> wanted)
{
    for (const char *name : wanted) {
        for (const QString &choice : choices) {
            if (choice.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return choice;
        }
    }
    return {};
}

bool isDuplexSource(const QString &source)
{
    return source.contains(QLatin1String("duplex"), Qt::CaseInsensitive);
}

bool isFeeder(const QString &source)
{
    return source.contains(QLatin1String("adf"), Qt::CaseInsensitive) ||
           source.contains(QLatin1String("feeder"), Qt::CaseInsensitive) ||
           source.contains(QLatin1String("automatic document"), Qt::CaseInsensitive) ||
           isDuplexSource(source);
}

bool hasDuplexSource(const QStringList &sources)
{
    return std::any_of(sources.cbegin(), sources.cend(), isDuplexSource);
}
} // namespace

SaneScannerLibrary::SaneScannerLibrary()
{
    if (g_saneUsers++ == 0) {
        SANE_Int version = 0;
        const SANE_Status status = sane_init(&version, nullptr);
        g_saneStarted = status == SANE_STATUS_GOOD;
        if (!g_saneStarted)
            qCWarning(lcSane) << "sane_init failed:" << saneStatusText(status);
    }
    m_initialised = g_saneStarted;
}

SaneScannerLibrary::~SaneScannerLibrary()
{
    closeDevice();
    if (--g_saneUsers == 0 && g_saneStarted) {
        sane_exit();
        g_saneStarted = false;
    }
}

QList<ScannerSource> SaneScannerLibrary::sources()
{
    QList<ScannerSource> result;
    if (!m_initialised)
        return result;
    const SANE_Device **devices = nullptr;
    const SANE_Status status = sane_get_devices(&devices, SANE_FALSE);
    if (status != SANE_STATUS_GOOD || !devices) {
        qCWarning(lcSane) << "sane_get_devices failed:" << saneStatusText(status);
        m_lastSources.clear();
        m_sourcesLookedUp = true;
        return result;
    }
    for (int i = 0; devices[i]; ++i) {
        const SANE_Device *device = devices[i];
        ScannerSource source;
        source.name = QString::fromUtf8(device->name ? device->name : "");
        const QString vendor = QString::fromUtf8(device->vendor ? device->vendor : "");
        const QString model = QString::fromUtf8(device->model ? device->model : "");
        source.label = QStringLiteral("%1 %2").arg(vendor, model).trimmed();
        if (source.label.isEmpty())
            source.label = source.name;
        result << source;
    }
    // Two devices of one model (two test devices, two network scanners of an office) are
    // told apart by their device names.
    QHash<QString, int> labelCount;
    for (const ScannerSource &source : std::as_const(result))
        ++labelCount[source.label];
    for (ScannerSource &source : result) {
        if (labelCount.value(source.label) > 1 && source.label != source.name)
            source.label += QStringLiteral(" (%1)").arg(source.name);
    }
    m_lastSources = result;
    m_sourcesLookedUp = true;
    return result;
}

QString SaneScannerLibrary::currentSourceName()
{
    // Looking devices up can take seconds (network backends), so the last list is reused.
    const QList<ScannerSource> list = m_sourcesLookedUp ? m_lastSources : sources();
    const QString remembered = readSetting(Settings::ScannerDevice).toString();
    for (const ScannerSource &source : list) {
        if (source.name == remembered)
            return source.label;
    }
    return list.isEmpty() ? QString() : list.first().label;
}

QStringList SaneScannerLibrary::sourceNames()
{
    QStringList names;
    for (const ScannerSource &source : sources())
        names << source.label;
    return names;
}

bool SaneScannerLibrary::selectSource(QWidget *parent)
{
    const QList<ScannerSource> list = sources();
    QString current = readSetting(Settings::ScannerDevice).toString();
    if (current.isEmpty() && !list.isEmpty())
        current = list.first().name;
    SourceSelectDlg dialog(list, current, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedSource().isEmpty())
        return false;
    // The device is closed between runs, so the next run opens the new choice.
    writeSetting(Settings::ScannerDevice, dialog.selectedSource());
    return true;
}

void SaneScannerLibrary::setDriverDialogShown(bool shown)
{
    // SANE drivers have no dialogs of their own; the choice is kept for diagnostics only.
    m_driverDialog = shown;
}

void SaneScannerLibrary::setAutoContrast(bool on)
{
    // SANE has no standard option for it; the page processing step adjusts contrast.
    m_autoContrast = on;
}

bool SaneScannerLibrary::open()
{
    closeDevice();
    m_error = false;
    m_errorText.clear();
    m_pagesDelivered = 0;
    m_cancelRequested = false;
    m_settingsApplied = false;
    m_page.reset();
    if (!m_initialised) {
        setError(text("The scanner library could not be started."));
        return false;
    }
    const QList<ScannerSource> list = sources();
    if (list.isEmpty()) {
        setError(text("No scanner was found. Please plug a scanner in."));
        return false;
    }
    const QString name = deviceToOpen(list);
    if (!m_device.isEmpty() && name != m_device) {
        // A device asked for by name is that one or none.
        setError(text("The scanner %1 was not found.").arg(m_device));
        return false;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(name.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        qCWarning(lcSane) << "cannot open" << name << ":" << saneStatusText(status);
        setError(saneStatusText(status));
        return false;
    }
    m_handle = handle;
    m_deviceName = name;
    qCDebug(lcSane) << "opened" << name << "driver dialog" << m_driverDialog << "auto contrast"
                    << m_autoContrast;
    return true;
}

QString SaneScannerLibrary::deviceToOpen(const QList<ScannerSource> &list) const
{
    QString name = list.value(0).name;
    const QString remembered =
        m_device.isEmpty() ? readSetting(Settings::ScannerDevice).toString() : m_device;
    for (const ScannerSource &source : list) {
        if (source.name == remembered)
            name = remembered;
    }
    if (!remembered.isEmpty() && name != remembered)
        qCInfo(lcSane) << "remembered scanner" << remembered << "not found, using" << name;
    return name;
}

void SaneScannerLibrary::setFeederEnabled(bool on)
{
    m_feeder = on;
}

void SaneScannerLibrary::setDuplex(bool on)
{
    m_duplex = on;
}

bool SaneScannerLibrary::offersDuplex()
{
    if (!m_initialised)
        return false;
    const QString name = deviceToOpen(m_sourcesLookedUp ? m_lastSources : sources());
    if (name.isEmpty())
        return false;
    // Opening a network device takes a moment: asked once per device and run of the program.
    const auto known = m_duplexOffered.constFind(name);
    if (known != m_duplexOffered.constEnd())
        return *known;
    bool offered = false;
    if (m_handle && m_deviceName == name) {
        offered = hasDuplexSource(SaneOptions(m_handle).choices(SANE_NAME_SCAN_SOURCE));
    } else if (!m_handle) {
        SANE_Handle handle = nullptr;
        if (sane_open(name.toUtf8().constData(), &handle) != SANE_STATUS_GOOD)
            return false;
        offered = hasDuplexSource(SaneOptions(handle).choices(SANE_NAME_SCAN_SOURCE));
        sane_close(handle);
    }
    m_duplexOffered.insert(name, offered);
    return offered;
}

QString SaneScannerLibrary::pickSource(const QStringList &choices, bool feeder, bool duplex)
{
    QString simplex;
    QString both;
    for (const QString &choice : choices) {
        if (feeder != isFeeder(choice))
            continue;
        // "ADF Back" alone would give the backs without the fronts.
        if (choice.contains(QLatin1String("back"), Qt::CaseInsensitive))
            continue;
        QString &slot = isDuplexSource(choice) ? both : simplex;
        if (slot.isEmpty())
            slot = choice;
    }
    return duplex && !both.isEmpty() ? both : simplex;
}

void SaneScannerLibrary::setTransferCount(int count)
{
    m_transferCount = count;
}

void SaneScannerLibrary::setMultipleTransfer(bool on)
{
    m_multipleTransfer = on;
}

void SaneScannerLibrary::setScanArea(const QRectF &millimetres)
{
    m_area = millimetres;
}

bool SaneScannerLibrary::scanAreaApplied() const
{
    return m_areaApplied;
}

void SaneScannerLibrary::setResolution(double dpi)
{
    m_resolution = dpi;
}

const DibBuffer *SaneScannerLibrary::acquirePage(int colourMode)
{
    if (!m_handle)
        return nullptr;
    PageResult result;
    if (m_nextPage) {
        result = std::move(*m_nextPage);
        m_nextPage.reset();
    } else {
        result = readNextPage(colourMode);
    }
    if (m_cancelRequested)
        result = PageResult{SANE_STATUS_CANCELLED, {}, {}};
    if (result.status != SANE_STATUS_GOOD || !result.page) {
        stopRun(result.status, result.errorText);
        return nullptr;
    }
    m_page = std::move(result.page);
    ++m_pagesDelivered;
    return m_page.get();
}

void SaneScannerLibrary::releasePage(const DibBuffer *page)
{
    if (page && page == m_page.get())
        m_page.reset();
}

bool SaneScannerLibrary::transferEnded()
{
    if (!m_handle)
        return true;
    const int wanted = pagesWanted();
    if (!m_feederActive || m_cancelRequested || (wanted > 0 && m_pagesDelivered >= wanted)) {
        closeDevice();
        return true;
    }
    // Only starting the next page tells whether the feeder holds more paper.
    PageResult next = readNextPage(m_appliedColourMode);
    if (next.status == SANE_STATUS_NO_DOCS || next.status == SANE_STATUS_CANCELLED) {
        stopRun(next.status, next.errorText);
        return true;
    }
    // A page, or a failure that the next acquisition reports.
    m_nextPage = std::make_unique<PageResult>(std::move(next));
    return false;
}

void SaneScannerLibrary::endFeederRun()
{
    closeDevice();
}

bool SaneScannerLibrary::hasError() const
{
    return m_error;
}

QString SaneScannerLibrary::errorText() const
{
    return m_errorText;
}

void SaneScannerLibrary::cancel()
{
    m_cancelRequested = true;
    // SANE lets a running read be stopped at any time; the reader then gets CANCELLED.
    if (m_handle)
        sane_cancel(m_handle);
}

void SaneScannerLibrary::setProgressHandler(ProgressHandler handler)
{
    m_progress = std::move(handler);
}

void SaneScannerLibrary::setDeviceOption(const QByteArray &name, const QVariant &value)
{
    bool replaced = false;
    for (auto &option : m_deviceOptions) {
        if (option.first == name) {
            option.second = value;
            replaced = true;
        }
    }
    if (!replaced)
        m_deviceOptions.append({name, value});
    if (m_handle && !SaneOptions(m_handle).setValue(name, value))
        qCDebug(lcSane) << "device option" << name << "not taken now";
}

SaneScannerLibrary::PageResult SaneScannerLibrary::readNextPage(int colourMode)
{
    if (!m_settingsApplied || colourMode != m_appliedColourMode)
        applyRunSettings(colourMode);
    PageResult result;
    if (m_cancelRequested) {
        result.status = SANE_STATUS_CANCELLED;
        return result;
    }
    SANE_Status status = sane_start(m_handle);
    if (status == SANE_STATUS_INVAL && m_pagesDelivered > 0) {
        // Some drivers start the next page only once the previous one is closed.
        sane_cancel(m_handle);
        status = sane_start(m_handle);
    }
    if (status != SANE_STATUS_GOOD) {
        result.status = status;
        return result;
    }
    SanePageReader reader(m_handle, m_progress, [this] { return m_cancelRequested; });
    result.status = reader.read(m_appliedResolution, &result.page);
    result.errorText = reader.errorText();
    return result;
}

void SaneScannerLibrary::applyRunSettings(int colourMode)
{
    SaneOptions options(m_handle);
    const QStringList modes = options.choices(SANE_NAME_SCAN_MODE);
    const QString grey = pick(modes, {"Gray", "Grayscale", "Grey", "Greyscale"});
    QString mode;
    int depth = 0;
    switch (colourMode) {
    case 1:
        // Devices without a line-art mode give 1-bit grey.
        mode = pick(modes, {"Lineart", "Binary", "Black & White", "Monochrome"});
        if (mode.isEmpty())
            mode = grey;
        depth = 1;
        break;
    case 2:
        mode = grey;
        depth = 8;
        break;
    case 4:
        mode = pick(modes, {"Color", "Colour", "24bit Color"});
        depth = 8;
        break;
    default:
        break;
    }
    if (!mode.isEmpty())
        options.setString(SANE_NAME_SCAN_MODE, mode);
    if (depth > 0 && options.isSettable(SANE_NAME_BIT_DEPTH))
        options.setNumber(SANE_NAME_BIT_DEPTH, depth);

    // A flatbed gives one page per run, so feeder behaviour needs the feeder source itself.
    m_feederActive = false;
    const QString source =
        pickSource(options.choices(SANE_NAME_SCAN_SOURCE), m_feeder, m_feeder && m_duplex);
    if (m_duplex && !isDuplexSource(source))
        qCInfo(lcSane) << "the device scans one side only";
    if (!source.isEmpty() && options.setString(SANE_NAME_SCAN_SOURCE, source))
        m_feederActive = m_feeder;
    else if (m_feeder)
        qCInfo(lcSane) << "the device offers no document feeder; scanning one page";

    if (!options.setNumber(SANE_NAME_SCAN_RESOLUTION, m_resolution)) {
        options.setNumber(SANE_NAME_SCAN_X_RESOLUTION, m_resolution);
        options.setNumber(SANE_NAME_SCAN_Y_RESOLUTION, m_resolution);
    }
    m_appliedResolution =
        options.number(SANE_NAME_SCAN_RESOLUTION)
            .value_or(options.number(SANE_NAME_SCAN_X_RESOLUTION).value_or(m_resolution));

    m_areaApplied = false;
    if (!m_area.isEmpty()) {
        const char *corners[] = {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X,
                                 SANE_NAME_SCAN_BR_Y};
        std::optional<double> whole[4];
        for (int i = 0; i < 4; ++i)
            whole[i] = options.number(corners[i]);
        // The top left corner goes first to the origin, so the bottom right corner is never
        // asked to lie above or left of it, wherever the last area was.
        options.setNumber(SANE_NAME_SCAN_TL_X, 0);
        options.setNumber(SANE_NAME_SCAN_TL_Y, 0);
        m_areaApplied = options.setNumber(SANE_NAME_SCAN_BR_X, m_area.right()) &&
                        options.setNumber(SANE_NAME_SCAN_BR_Y, m_area.bottom()) &&
                        options.setNumber(SANE_NAME_SCAN_TL_X, m_area.left()) &&
                        options.setNumber(SANE_NAME_SCAN_TL_Y, m_area.top());
        if (!m_areaApplied) {
            // Back to the device's own area, the glass the caller's cut is measured on.
            for (int i = 0; i < 4; ++i) {
                if (whole[i])
                    options.setNumber(corners[i], *whole[i]);
            }
            qCInfo(lcSane) << "the device scans no part of the glass; scanning all of it";
        }
    }

    for (const auto &option : std::as_const(m_deviceOptions)) {
        if (!options.setValue(option.first, option.second))
            qCDebug(lcSane) << "device option" << option.first << "not taken";
    }
    m_settingsApplied = true;
    m_appliedColourMode = colourMode;
    qCDebug(lcSane) << "run settings: mode" << mode << "depth" << depth << "source" << source
                    << "resolution" << m_appliedResolution;
}

int SaneScannerLibrary::pagesWanted() const
{
    return m_multipleTransfer ? m_transferCount : 1;
}

void SaneScannerLibrary::stopRun(int status, const QString &reason)
{
    m_errorText = reason.isEmpty() ? saneStatusText(status) : reason;
    m_error = status != SANE_STATUS_NO_DOCS && status != SANE_STATUS_CANCELLED;
    if (m_error)
        qCWarning(lcSane) << "scan failed:" << m_errorText;
    else
        qCInfo(lcSane) << "run ended:" << m_errorText;
    closeDevice();
}

void SaneScannerLibrary::closeDevice()
{
    m_nextPage.reset();
    if (!m_handle)
        return;
    sane_cancel(m_handle);
    sane_close(m_handle);
    m_handle = nullptr;
    m_deviceName.clear();
}

void SaneScannerLibrary::setError(const QString &message)
{
    m_error = true;
    m_errorText = message;
}
