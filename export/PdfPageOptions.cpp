#include "PdfPageOptions.h"

#include "SettingsKeys.h"

PdfPageOptions PdfPageOptions::read()
{
    PdfPageOptions options;
    options.paperId = readSetting(Settings::PaperSize).toInt();
    options.orientation = readSetting(Settings::Orientation).toInt();
    options.scaleMode = readSetting(Settings::Scale).toInt();
    options.centred = readSetting(Settings::ByCenter).toBool();
    options.margins.left = readSetting(Settings::Left).toDouble();
    options.margins.right = readSetting(Settings::Right).toDouble();
    options.margins.top = readSetting(Settings::Top).toDouble();
    options.margins.bottom = readSetting(Settings::Bottom).toDouble();
    options.recognise = readSetting(Settings::RecogniseText).toBool();
    options.languages = readSetting(Settings::RecognitionLanguages).toString();
    options.compact = readSetting(Settings::PdfCompact).toBool();
    options.pictureLevel = qBound(0, readSetting(Settings::PdfPictureLevel).toInt(), 2);
    return options;
}

void PdfPageOptions::write() const
{
    writeSetting(Settings::PaperSize, paperId);
    writeSetting(Settings::Orientation, orientation);
    writeSetting(Settings::Scale, scaleMode);
    writeSetting(Settings::ByCenter, centred);
    writeSetting(Settings::Left, margins.left);
    writeSetting(Settings::Right, margins.right);
    writeSetting(Settings::Top, margins.top);
    writeSetting(Settings::Bottom, margins.bottom);
    writeSetting(Settings::RecogniseText, recognise);
    writeSetting(Settings::RecognitionLanguages, languages);
    writeSetting(Settings::PdfCompact, compact);
    writeSetting(Settings::PdfPictureLevel, pictureLevel);
}
