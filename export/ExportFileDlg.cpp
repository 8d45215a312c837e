#include "ExportFileDlg.h"

#include "DialogProgress.h"
#include "ImageFolderWriter.h"
#include "ImgProgress.h"
#include "SettingsKeys.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

ExportFileDlg::ExportFileDlg(QWidget *parent)
    : ExportBaseDlg(Kind::Image, tr("Save"), parent), m_format(new QComboBox(settingsGroup())),
      m_qualityLabel(new QLabel(tr("Quality:"), settingsGroup())),
      m_quality(new QSpinBox(settingsGroup()))
{
    setWindowTitle(tr("Export to image list"));
    setMinimumSize(480, 340);

    m_format->addItem(tr("JPEG"), QStringLiteral("jpg"));
    m_format->addItem(tr("TIFF"), QStringLiteral("tiff"));
    m_format->addItem(tr("PNG"), QStringLiteral("png"));
    m_format->addItem(tr("BMP"), QStringLiteral("bmp"));
    m_format->setAccessibleName(tr("Image Format"));
    m_quality->setRange(ImageFolderWriter::MinQuality, ImageFolderWriter::MaxQuality);
    m_quality->setValue(ImageFolderWriter::DefaultQuality);
    m_quality->setAccessibleName(tr("Quality"));
    m_qualityLabel->setBuddy(m_quality);

    auto *form = new QFormLayout;
    form->addRow(tr("&Image Format:"), m_format);
    form->addRow(m_qualityLabel, m_quality);
    settingsLayout()->addLayout(form);
    settingsLayout()->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(settingsGroup());
    layout->addWidget(buttons());

    connect(m_format, &QComboBox::currentIndexChanged, this, &ExportFileDlg::formatChanged);
}

void ExportFileDlg::setPages(const QStringList &pages)
{
    ExportBaseDlg::setPages(pages);
    loadFormat();
}

void ExportFileDlg::loadFormat()
{
    const int index = m_format->findData(readSetting(Settings::ImageFormat).toString());
    m_format->setCurrentIndex(qMax(index, 0));
    formatChanged(m_format->currentIndex());
    const int quality = readSetting(Settings::ImageJpegQuality).toInt();
    if (quality >= ImageFolderWriter::MinQuality && quality <= ImageFolderWriter::MaxQuality)
        m_quality->setValue(quality);
}

void ExportFileDlg::formatChanged(int index)
{
    const bool jpeg = m_format->itemData(index).toString() == QLatin1String("jpg");
    m_qualityLabel->setVisible(jpeg);
    m_quality->setVisible(jpeg);
}

int ExportFileDlg::counterWidth(int pageCount)
{
    return ImageFolderWriter::counterWidth(pageCount);
}

QString ExportFileDlg::uniqueName(const QString &folder, const QString &name)
{
    QString candidate = name;
    for (int n = 1; QFileInfo::exists(folder + QLatin1Char('/') + candidate); ++n)
        candidate = name + QStringLiteral(" (%1)").arg(n);
    return candidate;
}

void ExportFileDlg::apply()
{
    if (pages().isEmpty())
        return;
    const DestinationSettings record = destinationFromWidgets();
    if (confirmOutputPath(record).isEmpty())
        return;

    DialogProgress progress(std::make_unique<ImgProgress>(int(pages().size()), this));
    progress.setCreatingPhase();
    QCoreApplication::processEvents();
    const auto endProgress = [&progress] { progress.finish(); };

    const QString format = m_format->currentData().toString();
    record.write(kind());
    writeSetting(Settings::ImageFormat, format);
    writeSetting(Settings::ImageJpegQuality, m_quality->value());

    // mkdir claims the name: a folder that appeared since the check is never written into.
    const QString destination = record.outputFolder();
    QString subFolder = uniqueName(destination, record.name);
    bool made = QDir(destination).mkdir(subFolder);
    while (!made && QFileInfo::exists(destination + QLatin1Char('/') + subFolder)) {
        subFolder = uniqueName(destination, record.name);
        made = QDir(destination).mkdir(subFolder);
    }
    const QString folder = destination + QLatin1Char('/') + subFolder + QLatin1Char('/');
    if (!made) {
        endProgress();
        hide();
        emit failed(QDir::toNativeSeparators(destination + QLatin1Char('/') + subFolder));
        close();
        return;
    }

    const ImageFolderWriter::Result result = ImageFolderWriter::write(
        pages(), folder, record.name, format, m_quality->value(), progress);
    endProgress();

    // Nothing of a cancelled, fruitless or incomplete export stays behind.
    if (result.cancelled || result.written.isEmpty() || !result.unreadable.isEmpty())
        QDir(destination).rmdir(subFolder);
    hide();
    // A cancel was the user's own wish: no notice.
    if (!result.cancelled) {
        if (!result.unreadable.isEmpty())
            emit failed(result.unreadablePage, result.unreadable);
        else if (result.written.isEmpty())
            emit failed(result.firstFailed);
        else if (result.written.size() < pages().size())
            emit partlyApplied(QDir::toNativeSeparators(folder), int(result.written.size()),
                               int(pages().size()), result.firstFailed);
        else
            emit applied(QDir::toNativeSeparators(folder));
    }
    close();
}
