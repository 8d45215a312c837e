#pragma once

#include <QString>
#include <QVariant>

// The one vocabulary of stored preferences. Every reader goes through readSetting() so the
// default that applies when nothing is stored is written down exactly once, here.
// Any thread may read and write; QSettings serialises access to the store.
struct SettingKey
{
    const char *name;
    QVariant defaultValue;
    // Where the default depends on the user's locale, it is asked for at each read instead.
    QVariant (*localeDefault)() = nullptr;
};

namespace Settings {
// Letter for the United States, A4 elsewhere (ids as PaperSize stores them).
QVariant localePaperSize();
// Russian and English for Russian (Russian leads), English elsewhere.
QVariant localeRecognitionLanguages();

// Vendor web host chosen by the system language at every start.
inline const SettingKey AppUrl{"AppUrl", QString()};
inline const SettingKey Version{"Version", QString()};
inline const SettingKey LastPath{"LastPath", QString()};
inline const SettingKey Scanners{"Scanners", QString()};
// Written before each scan; no reader relies on a default.
inline const SettingKey Resolution{"Resolution", QVariant()};
inline const SettingKey QualityIndex{"QualityIndex", 1};
inline const SettingKey Grayscale{"Grayscale", 2};
inline const SettingKey MiddleQuality{"MiddleQuality", 100};
inline const SettingKey GoodQuality{"GoodQuality", 200};
inline const SettingKey HighQuality{"HighQuality", 300};
inline const SettingKey JpegQuality{"JpegQuality", 75};
// The PDF dialog reads true when absent, the outcome notice false: callers pass their own.
inline const SettingKey NeedOpen{"NeedOpen", QVariant()};
inline const SettingKey ByCenter{"ByCenter", true};
inline const SettingKey PaperSize{"PaperSize", 0, &localePaperSize};
inline const SettingKey Orientation{"Orientation", 0};
inline const SettingKey Scale{"Scale", 0};
inline const SettingKey FolderPlace{"FolderPlace", 1};
inline const SettingKey Left{"Left", 0.0};
inline const SettingKey Right{"Right", 0.0};
inline const SettingKey Top{"Top", 0.0};
inline const SettingKey Bottom{"Bottom", 0.0};
// Compact PDF pages (text mask over a reduced background) and how much of the pictures the
// background keeps: 0 small, 1 balanced, 2 fine.
inline const SettingKey PdfCompact{"PdfCompact", false};
inline const SettingKey PdfPictureLevel{"PdfPictureLevel", 1};
// The PDF's invisible text layer; languages as the recognition engine takes them.
inline const SettingKey RecogniseText{"RecogniseText", false};
inline const SettingKey RecognitionLanguages{"RecognitionLanguages", QStringLiteral("eng"),
                                             &localeRecognitionLanguages};
inline const SettingKey DocFolder{"DocFolder", QString()};
inline const SettingKey DocName{"DocName", QVariant()};
inline const SettingKey ImageFolderPlace{"ImageFolderPlace", 1};
inline const SettingKey ImageDocFolder{"ImageDocFolder", QString()};
inline const SettingKey ImageDocName{"ImageDocName", QVariant()};
inline const SettingKey ImageNeedOpen{"ImageNeedOpen", false};
inline const SettingKey ImageFormat{"ImageFormat", QString()};
inline const SettingKey ImageJpegQuality{"ImageJpegQuality", 0};
inline const SettingKey WordFolderPlace{"WordFolderPlace", 1};
inline const SettingKey WordDocFolder{"WordDocFolder", QString()};
inline const SettingKey WordDocName{"WordDocName", QVariant()};
inline const SettingKey WordNeedOpen{"WordNeedOpen", false};
inline const SettingKey DjvuFolderPlace{"DjvuFolderPlace", 1};
inline const SettingKey DjvuDocFolder{"DjvuDocFolder", QString()};
inline const SettingKey DjvuDocName{"DjvuDocName", QVariant()};
inline const SettingKey DjvuNeedOpen{"DjvuNeedOpen", false};
inline const SettingKey DjvuPercent{"DjvuPercent", 50};
inline const SettingKey AutoScanTime{"AutoScanTime", 15};
inline const SettingKey AutoScanNow{"AutoScanNow", true};
inline const SettingKey BookScanning{"BookScanning", false};
inline const SettingKey BookScan{"BookScan", false};
// Like the two above: this wizard run scans a two-sided stack (fronts, then backs), and the
// box's last state.
inline const SettingKey TwoSidedScanning{"TwoSidedScanning", false};
inline const SettingKey TwoSidedStack{"TwoSidedStack", false};
inline const SettingKey PaperSource{"PaperSource", 0};
inline const SettingKey AcquireImage{"AcquireImage", 0};
inline const SettingKey AutoContrast{"AutoContrast", true};
inline const SettingKey Preview{"Preview", false};
// The part of the glass last scanned after a preview, per scanner (its name in the list):
// a rectangle in millimetres from the glass's top left corner.
inline const SettingKey ScanAreas{"ScanAreas", QVariantMap()};
// Scanned and loaded pages are turned upright by their text (a page not sure of is flagged).
inline const SettingKey AutoOrientation{"AutoOrientation", false};
// Blank pages of a feeder run are left out (they are flagged on their tiles either way).
inline const SettingKey SkipBlankPages{"SkipBlankPages", false};
// SANE device name of the scanner chosen in the source dialog; empty: the first one found.
inline const SettingKey ScannerDevice{"ScannerDevice", QString()};
inline const SettingKey LastOptionsPage{"LastOptionsPage", QString()};
inline const SettingKey UniqueID{"UniqueID", QVariant()};
// Marks that this user has run the program before (first-run check at start-up).
inline const SettingKey FirstRunDone{"FirstRunDone", false};
// Thumbnail size the user chose on the status bar slider; absent until it is first moved,
// so the strip keeps its own starting box.
inline const SettingKey ThumbnailSize{"ThumbnailSize", QVariant()};

// Every key above, for tests and diagnostics.
const QList<const SettingKey *> &allKeys();
} // namespace Settings

// Reads a key with the table's default, or with the caller's own where a key has none fixed.
QVariant readSetting(const SettingKey &key);
// The value readSetting() gives when nothing is stored.
QVariant defaultSetting(const SettingKey &key);
QVariant readSetting(const SettingKey &key, const QVariant &callerDefault);
void writeSetting(const SettingKey &key, const QVariant &value);
