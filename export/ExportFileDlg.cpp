#include "ExportFileDlg.h"

#include "ImageFileWriter.h"
#include "ImgProgress.h"
#include "PageFileCheck.h"
#include "SettingsKeys.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QImageReader>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QLatin1String jpegValue("jpg");
constexpr int defaultQuality = 85;
constexpr int minQuality = 50;
constexpr int maxQuality = 100;

// Quality for the writer: the user's for JPEG. PNG keeps the writer's default, since its
// "quality" 100 means no compression at all, with the same pixels at several times the size.
int writerQuality(const QString &format, int jpegQuality)
{
    if (format == jpegValue)
        return jpegQuality;
    if (format == QLatin1String("png"))
        return -1;
    return maxQuality;
}
} // namespace

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
    m_quality->setRange(minQuality, maxQuality);
    m_quality->setValue(defaultQuality);
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
    if (quality >= minQuality && quality <= maxQuality)
        m_quality->setValue(quality);
}

void ExportFileDlg::formatChanged(int index)
{
    const bool jpeg = m_format->itemData(index).toString() == jpegValue;
    m_qualityLabel->setVisible(jpeg);
    m_quality->setVisible(jpeg);
}

int ExportFileDlg::counterWidth(int pageCount)
{
    return int(QString::number(qMax(pageCount, 1)).size());
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

    ImgProgress progress(int(pages().size()), this);
    progress.setCreatingPhase();
    progress.open();
    QCoreApplication::processEvents();
    const auto endProgress = [&progress] {
        progress.finish();
        progress.close();
    };

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

    const int total = int(pages().size());
    const int width = counterWidth(total);
    const int quality = writerQuality(format, m_quality->value());
    QStringList written;
    QString firstFailed;
    QString unreadablePage;
    QString unreadable;
    bool cancelled = false;
    for (int k = 1; k <= total; ++k) {
        progress.setWritingPhase(k);
        QCoreApplication::processEvents();
        if (progress.isCancelRequested()) {
            cancelled = true;
            break;
        }
        const QString file = folder + QStringLiteral("%1_%2.%3")
                                          .arg(record.name)
                                          .arg(k, width, 10, QLatin1Char('0'))
                                          .arg(format);
        // The decoder fills a page cut short with grey: such a page stops the export.
        const QString page = pages().at(k - 1);
        const PageFileCheck check = PageFileCheck::check(page);
        QImageReader reader(page);
        const QImage image = check ? reader.read() : QImage();
        if (image.isNull()) {
            unreadablePage = QDir::toNativeSeparators(page);
            unreadable = check ? PageFileCheck::pageMessage(k - 1, page, reader.errorString())
                               : check.pageMessage(k - 1);
            break;
        }
        if (writeImageFile(image, file, format.toLatin1().constData(), quality))
            written.append(file);
        else if (firstFailed.isEmpty())
            firstFailed = QDir::toNativeSeparators(file);
    }
    endProgress();

    // Nothing of a cancelled, fruitless or incomplete export stays behind.
    if (cancelled || written.isEmpty() || !unreadable.isEmpty()) {
        for (const QString &file : written)
            QFile::remove(file);
        QDir(destination).rmdir(subFolder);
    }
    hide();
    // A cancel was the user's own wish: no notice.
    if (!cancelled) {
        if (!unreadable.isEmpty())
            emit failed(unreadablePage, unreadable);
        else if (written.isEmpty())
            emit failed(firstFailed);
        else if (written.size() < total)
            emit partlyApplied(QDir::toNativeSeparators(folder), int(written.size()), total,
                               firstFailed);
        else
            emit applied(QDir::toNativeSeparators(folder));
    }
    close();
}
