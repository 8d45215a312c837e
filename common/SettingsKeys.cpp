#include "SettingsKeys.h"

#include <QLocale>
#include <QSettings>

namespace Settings {
QVariant localePaperSize()
{
    constexpr int A4 = 0;
    constexpr int Letter = 2;
    return QLocale().territory() == QLocale::UnitedStates ? Letter : A4;
}

QVariant localeRecognitionLanguages()
{
    return QLocale().language() == QLocale::Russian ? QStringLiteral("rus+eng")
                                                    : RecognitionLanguages.defaultValue;
}

const QList<const SettingKey *> &allKeys()
{
    static const QList<const SettingKey *> keys = {
        &AppUrl,
        &Version,
        &LastPath,
        &Scanners,
        &Resolution,
        &QualityIndex,
        &Grayscale,
        &MiddleQuality,
        &GoodQuality,
        &HighQuality,
        &JpegQuality,
        &NeedOpen,
        &ByCenter,
        &PaperSize,
        &Orientation,
        &Scale,
        &FolderPlace,
        &Left,
        &Right,
        &Top,
        &Bottom,
        &PdfCompact,
        &PdfPictureLevel,
        &RecogniseText,
        &RecognitionLanguages,
        &DocFolder,
        &DocName,
        &ImageFolderPlace,
        &ImageDocFolder,
        &ImageDocName,
        &ImageNeedOpen,
        &ImageFormat,
        &ImageJpegQuality,
        &WordFolderPlace,
        &WordDocFolder,
        &WordDocName,
        &WordNeedOpen,
        &DjvuFolderPlace,
        &DjvuDocFolder,
        &DjvuDocName,
        &DjvuNeedOpen,
        &DjvuPercent,
        &AutoScanTime,
        &AutoScanNow,
        &BookScanning,
        &BookScan,
        &TwoSidedScanning,
        &TwoSidedStack,
        &PaperSource,
        &AcquireImage,
        &AutoContrast,
        &Preview,
        &ScanAreas,
        &AutoOrientation,
        &SkipBlankPages,
        &LastOptionsPage,
        &UniqueID,
        &FirstRunDone,
        &ScannerDevice,
        &ThumbnailSize,
    };
    return keys;
}
} // namespace Settings

QVariant readSetting(const SettingKey &key)
{
    return QSettings().value(QLatin1String(key.name), defaultSetting(key));
}

QVariant defaultSetting(const SettingKey &key)
{
    return key.localeDefault ? key.localeDefault() : key.defaultValue;
}

QVariant readSetting(const SettingKey &key, const QVariant &callerDefault)
{
    return QSettings().value(QLatin1String(key.name), callerDefault);
}

void writeSetting(const SettingKey &key, const QVariant &value)
{
    QSettings().setValue(QLatin1String(key.name), value);
}
