#include "SaneScannerLibrary.h"

#include <QLoggingCategory>
#include <sane/sane.h>

Q_LOGGING_CATEGORY(lcSane, "quillary.scan.sane")

SaneScannerLibrary::SaneScannerLibrary()
{
    SANE_Int version = 0;
    const SANE_Status status = sane_init(&version, nullptr);
    m_initialised = status == SANE_STATUS_GOOD;
    if (!m_initialised)
        qCWarning(lcSane) << "sane_init failed:" << sane_strstatus(status);
}

SaneScannerLibrary::~SaneScannerLibrary()
{
    if (m_initialised)
        sane_exit();
}

QStringList SaneScannerLibrary::sourceNames()
{
    QStringList names;
    if (!m_initialised)
        return names;
    const SANE_Device **devices = nullptr;
    const SANE_Status status = sane_get_devices(&devices, SANE_FALSE);
    if (status != SANE_STATUS_GOOD || !devices) {
        qCWarning(lcSane) << "sane_get_devices failed:" << sane_strstatus(status);
        return names;
    }
    for (int i = 0; devices[i]; ++i) {
        const SANE_Device *device = devices[i];
        const QString vendor = QString::fromUtf8(device->vendor ? device->vendor : "");
        const QString model = QString::fromUtf8(device->model ? device->model : "");
        QString name = QStringLiteral("%1 %2").arg(vendor, model).trimmed();
        names << (name.isEmpty() ? QString::fromUtf8(device->name) : name);
    }
    return names;
}
