// Notices and what the window says when an export ends.
#include "MainWindow.h"

#include "OfficePopupWindow.h"
#include "SettingsKeys.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QUrl>

namespace {
constexpr int NoticeDisplayTime = 10000;
constexpr int NoticeAnimationSlide = 2;
constexpr int NoticeAnimationSpeed = 250;

// Names go into rich text: escape them, and link through a proper file URL so spaces, '#',
// '%', '&' and '<' survive.
QString fileLink(const QString &path)
{
    return QUrl::fromLocalFile(QDir::cleanPath(QDir::fromNativeSeparators(path)))
        .toString(QUrl::FullyEncoded)
        .toHtmlEscaped();
}

QString escapedFileName(const QString &path)
{
    // cleanPath: an image folder arrives as ".../Scan/", whose file name would be empty.
    return QFileInfo(QDir::cleanPath(QDir::fromNativeSeparators(path))).fileName().toHtmlEscaped();
}

// A failed export's notice: the reason when known, else what the writer says of the file.
QString failureText(const QString &heading, const QString &reason, const QString &cannotWrite)
{
    return heading + (reason.isEmpty() ? cannotWrite : reason.toHtmlEscaped());
}

// The folder an export went into, as a second line with its own link.
QString folderLine(const QString &path)
{
    const QString folder =
        QFileInfo(QDir::cleanPath(QDir::fromNativeSeparators(path))).absolutePath();
    return MainWindow::tr("<br>In folder <a href=\"%1\">%2</a>")
        .arg(fileLink(folder), QDir::toNativeSeparators(folder).toHtmlEscaped());
}
} // namespace

Ribbon::OfficePopupWindow *MainWindow::showNotice(const QString &message)
{
    auto *popup = new Ribbon::OfficePopupWindow(this);

    auto *container = new QLabel;
    auto *layout = new QHBoxLayout(container);
    auto *icon = new QLabel(QStringLiteral("<img align=left src=\":/images/logo64.png\" />"));
    auto *text = new QLabel(QStringLiteral("<h4>%1</h4>").arg(message));
    text->setWordWrap(true);
    text->setOpenExternalLinks(true);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    text->setObjectName(QStringLiteral("noticeText"));
    text->setAccessibleName(QTextDocumentFragment::fromHtml(message).toPlainText());
    layout->addWidget(icon, 0);
    layout->addWidget(text, 1);

    popup->setCentralWidget(container);
    popup->setTitleCloseButtonVisible(true);
    container->setMinimumSize(300, 100);
    container->setAlignment(Qt::AlignTop);
    container->setWordWrap(true);
    container->setOpenExternalLinks(true);
    // No colour of its own: the notice gives its title the text colour of its band, which is
    // light under a dark palette.
    popup->setTitleText(tr("<p><h4>&nbsp;Quillary Message</h4></p>"));
    popup->setAnimation(NoticeAnimationSlide);
    popup->setAnimationSpeed(NoticeAnimationSpeed);
    popup->setDragDropEnabled(true);
    popup->setTransparency(1.0);
    popup->setDisplayTime(NoticeDisplayTime);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->showPopup();
    return popup;
}

void MainWindow::showExportSuccess(const QString &message, const QString &target,
                                   const SettingKey &openKey)
{
    showNotice(message + folderLine(target));
    if (readSetting(openKey, QVariant()).toBool())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(target)));
}

void MainWindow::exported(const QString &path)
{
    showExportSuccess(tr("PDF file was created.<br>Open <a href=\"%1\">%2</a>")
                          .arg(fileLink(path), escapedFileName(path)),
                      path, Settings::NeedOpen);
}

void MainWindow::exportFailed(const QString &path, const QString &reason)
{
    showNotice(failureText(tr("Error while PDF file creating.<br>"), reason,
                           tr("Can't write file %1. Probably, file is opened or you can't write "
                              "to folder.")
                               .arg(escapedFileName(path))));
}

void MainWindow::exportedWord(const QString &path)
{
    showExportSuccess(tr("Word file was created.<br>Open <a href=\"%1\">%2</a>")
                          .arg(fileLink(path), escapedFileName(path)),
                      path, Settings::WordNeedOpen);
}

void MainWindow::exportedWordFailed(const QString &path, const QString &reason)
{
    showNotice(failureText(tr("Error while Word file creating.<br>"), reason,
                           tr("Can't write file %1. Probably, file is opened or you can't write "
                              "to folder.")
                               .arg(escapedFileName(path))));
}

void MainWindow::exportedDjvu(const QString &path)
{
    showExportSuccess(tr("DjVu file was created.<br>Open <a href=\"%1\">%2</a>")
                          .arg(fileLink(path), escapedFileName(path)),
                      path, Settings::DjvuNeedOpen);
}

void MainWindow::exportedDjvuFailed(const QString &path, const QString &reason)
{
    showNotice(failureText(tr("Error while DjVu file creating.<br>"), reason,
                           tr("Can't write file %1. Probably, file is opened or you can't write "
                              "to folder.")
                               .arg(escapedFileName(path))));
}

void MainWindow::exportedImages(const QString &folder)
{
    showExportSuccess(tr("Images were saved.<br>Open folder <a href=\"%1\">%2</a>")
                          .arg(fileLink(folder), escapedFileName(folder)),
                      folder, Settings::ImageNeedOpen);
}

void MainWindow::exportedImagesPartly(const QString &folder, int written, int total,
                                      const QString &firstFailed)
{
    showExportSuccess(
        tr("%1 of %2 images were saved; %3 could not be written.<br>Open folder "
           "<a href=\"%4\">%5</a>")
            .arg(written)
            .arg(total)
            .arg(escapedFileName(firstFailed), fileLink(folder), escapedFileName(folder)),
        folder, Settings::ImageNeedOpen);
}

void MainWindow::exportImageFailed(const QString &path, const QString &reason)
{
    showNotice(failureText(
        tr("Error while Image file creating.<br>"), reason,
        tr("Can't write file %1. Probably, file is opened.").arg(escapedFileName(path))));
}
