#include "SaneStatusText.h"

#include <QCoreApplication>

#include <sane/sane.h>

namespace {
// Statuses of newer drivers that the installed SANE header still leaves out.
constexpr int StatusWarmingUp = 12;
constexpr int StatusHardwareLocked = 13;
} // namespace

QString saneStatusText(int status)
{
    const char *text = nullptr;
    switch (status) {
    case SANE_STATUS_GOOD:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The scanner finished without a problem.");
        break;
    case SANE_STATUS_UNSUPPORTED:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The scanner does not support this operation.");
        break;
    case SANE_STATUS_CANCELLED:
        text = QT_TRANSLATE_NOOP("SaneStatus", "Scanning was cancelled.");
        break;
    case SANE_STATUS_DEVICE_BUSY:
        text =
            QT_TRANSLATE_NOOP("SaneStatus", "The scanner is busy. Please try again in a moment.");
        break;
    case SANE_STATUS_INVAL:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The scanner did not accept the scan settings.");
        break;
    case SANE_STATUS_EOF:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The scanner has no more data for this page.");
        break;
    case SANE_STATUS_JAMMED:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The paper is jammed in the document feeder.");
        break;
    case SANE_STATUS_NO_DOCS:
        text = QT_TRANSLATE_NOOP("SaneStatus", "There is no paper in the document feeder.");
        break;
    case SANE_STATUS_COVER_OPEN:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The scanner cover is open.");
        break;
    case SANE_STATUS_IO_ERROR:
        text = QT_TRANSLATE_NOOP("SaneStatus", "The scanner cannot be reached. Please check "
                                               "that it is plugged in and switched on.");
        break;
    case SANE_STATUS_NO_MEM:
        text = QT_TRANSLATE_NOOP("SaneStatus", "There is not enough memory for this scan.");
        break;
    case SANE_STATUS_ACCESS_DENIED:
        text = QT_TRANSLATE_NOOP("SaneStatus", "Access to the scanner was denied. Please check the "
                                               "permissions for scanner devices.");
        break;
    case StatusWarmingUp:
        text = QT_TRANSLATE_NOOP("SaneStatus",
                                 "The scanner lamp is warming up. Please try again in a moment.");
        break;
    case StatusHardwareLocked:
        text = QT_TRANSLATE_NOOP("SaneStatus",
                                 "The scanner is locked for transport. Please unlock it.");
        break;
    default:
        return QCoreApplication::translate("SaneStatus", "The scanner reported an unknown "
                                                         "problem (code %1).")
            .arg(status);
    }
    return QCoreApplication::translate("SaneStatus", text);
}
