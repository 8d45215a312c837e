#include "ExportDlg.h"

#include "DialogProgress.h"
#include "MixedRaster.h"
#include "OcrLanguages.h"
#include "PaperSizes.h"
#include "PdfExport.h"
#include "PdfLayout.h"
#include "PdfProgress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Longest side of the preview's copy of a page: sharp enough for the preview at any zoom a
// dialog allows, small enough to load quickly.
constexpr int previewSide = 1200;

QString plain(QString text)
{
    return text.remove(QLatin1Char('&')).remove(QLatin1Char(':'));
}

void selectData(QComboBox *combo, int value)
{
    // A stored id the combo does not offer shows the first item rather than an empty box.
    combo->setCurrentIndex(qMax(combo->findData(value), 0));
}

QDoubleSpinBox *marginBox(const QString &name, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(0.0, 2.0);
    box->setSingleStep(0.1);
    box->setDecimals(1);
    box->setSuffix(ExportDlg::tr(" cm"));
    box->setAccessibleName(name);
    return box;
}
} // namespace

ExportDlg::ExportDlg(QWidget *parent)
    : ExportBaseDlg(Kind::Pdf, tr("Save to PDF"), parent),
      m_printer(std::make_unique<QPrinter>(QPrinter::ScreenResolution)), m_timer(new QTimer(this))
{
    setWindowTitle(tr("Build PDF"));
    setMinimumSize(800, 550);
    // The preview never prints; a PDF printer needs no print system.
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setFullPage(true);

    QWidget *group = settingsGroup();
    m_centre = new QCheckBox(tr("By Page &Center"), group);
    m_centre->setChecked(true);
    m_centre->setAccessibleName(plain(m_centre->text()));

    m_paper = new QComboBox(group);
    for (const PaperSizes::Offer &offer : PaperSizes::offered())
        m_paper->addItem(offer.label, offer.id);
    m_orientation = new QComboBox(group);
    m_orientation->addItem(tr("Portrait"), PdfPageOptions::Portrait);
    m_orientation->addItem(tr("Landscape"), PdfPageOptions::Landscape);
    m_scale = new QComboBox(group);
    m_scale->addItem(tr("By dots per inch"), PdfLayout::ByDpi);
    m_scale->addItem(tr("Stretch to fill the paper"), PdfLayout::Stretch);
    m_scale->addItem(tr("Stretch, keeping proportions"), PdfLayout::KeepAspect);

    auto *form = new QFormLayout;
    const QString paperLabel = tr("&Paper size:");
    const QString orientationLabel = tr("&Orientation:");
    const QString scaleLabel = tr("&Scale:");
    form->addRow(paperLabel, m_paper);
    form->addRow(orientationLabel, m_orientation);
    form->addRow(scaleLabel, m_scale);
    m_paper->setAccessibleName(plain(paperLabel));
    m_orientation->setAccessibleName(plain(orientationLabel));
    m_scale->setAccessibleName(plain(scaleLabel));
    settingsLayout()->addWidget(m_centre);
    settingsLayout()->addLayout(form);

    auto *margins = new QGroupBox(tr("Margins"), group);
    auto *marginGrid = new QGridLayout(margins);
    m_left = marginBox(tr("Left"), margins);
    m_right = marginBox(tr("Right"), margins);
    m_top = marginBox(tr("Top"), margins);
    m_bottom = marginBox(tr("Bottom"), margins);
    int row = 0;
    for (QDoubleSpinBox *box : {m_left, m_right, m_top, m_bottom}) {
        auto *label = new QLabel(box->accessibleName(), margins);
        label->setBuddy(box);
        marginGrid->addWidget(label, row / 2, (row % 2) * 2);
        marginGrid->addWidget(box, row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    settingsLayout()->addWidget(margins);

    m_recognise = new QCheckBox(tr("Recognise text (searchable PDF)"), group);
    m_recognise->setAccessibleName(m_recognise->text());
    m_languages = new QComboBox(group);
    const QString languageLabel = tr("&Language:");
    m_languages->setAccessibleName(plain(languageLabel));
    for (const QString &choice : OcrLanguages::offered())
        m_languages->addItem(OcrLanguages::displayName(choice), choice);
    m_languages->setEnabled(false);
    auto *languageForm = new QFormLayout;
    languageForm->addRow(languageLabel, m_languages);
    m_recognitionMessage = new QLabel(group);
    m_recognitionMessage->setWordWrap(true);
    m_recognitionMessage->setStyleSheet(QStringLiteral("color: #b00020"));
    m_recognitionMessage->hide();
    settingsLayout()->addWidget(m_recognise);
    settingsLayout()->addLayout(languageForm);
    settingsLayout()->addWidget(m_recognitionMessage);

    m_compact = new QCheckBox(tr("&Compact file: sharp text, smaller pictures"), group);
    m_compact->setAccessibleName(plain(m_compact->text()));
    m_pictureLevel = new QComboBox(group);
    const QString pictureLabel = tr("P&ictures:");
    m_pictureLevel->setAccessibleName(plain(pictureLabel));
    m_pictureLevel->addItem(tr("Smallest file"), int(MixedRaster::PictureLevel::Small));
    m_pictureLevel->addItem(tr("Balanced"), int(MixedRaster::PictureLevel::Balanced));
    m_pictureLevel->addItem(tr("Fit for printing"), int(MixedRaster::PictureLevel::Fine));
    m_pictureLevel->setEnabled(false);
    auto *pictureForm = new QFormLayout;
    pictureForm->addRow(pictureLabel, m_pictureLevel);
    settingsLayout()->addWidget(m_compact);
    settingsLayout()->addLayout(pictureForm);
    settingsLayout()->addStretch(1);

    auto *previewGroup = new QGroupBox(tr("Preview"), this);
    m_preview = new QPrintPreviewWidget(m_printer.get(), previewGroup);
    m_preview->setAccessibleName(tr("Preview"));
    m_preview->fitInView();
    m_back = new QToolButton(previewGroup);
    m_back->setIcon(QIcon(QStringLiteral(":/images/Back")));
    m_back->setAccessibleName(tr("Back"));
    m_back->setToolTip(tr("Back"));
    m_next = new QToolButton(previewGroup);
    m_next->setIcon(QIcon(QStringLiteral(":/images/Next")));
    m_next->setAccessibleName(tr("Next"));
    m_next->setToolTip(tr("Next"));
    m_pageLabel = new QLabel(previewGroup);
    m_pageLabel->setAlignment(Qt::AlignCenter);

    auto *paging = new QHBoxLayout;
    paging->addWidget(m_back);
    paging->addWidget(m_pageLabel, 1);
    paging->addWidget(m_next);
    auto *previewLayout = new QVBoxLayout(previewGroup);
    previewLayout->addWidget(m_preview, 1);
    previewLayout->addLayout(paging);

    auto *columns = new QHBoxLayout;
    columns->addWidget(group);
    columns->addWidget(previewGroup, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons());

    m_timer->setObjectName(QStringLiteral("previewTimer"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(500);

    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &ExportDlg::printPreview);
    connect(m_back, &QToolButton::clicked, this, &ExportDlg::back);
    connect(m_next, &QToolButton::clicked, this, &ExportDlg::next);
    connect(m_timer, &QTimer::timeout, this, &ExportDlg::updatePreview);
    for (QComboBox *combo : {m_paper, m_orientation, m_scale})
        connect(combo, &QComboBox::currentIndexChanged, this, &ExportDlg::updateTimer);
    for (QDoubleSpinBox *box : {m_left, m_right, m_top, m_bottom})
        connect(box, &QDoubleSpinBox::valueChanged, this, &ExportDlg::updateTimer);
    connect(m_centre, &QCheckBox::toggled, this, &ExportDlg::updateTimer);
    connect(m_compact, &QCheckBox::toggled, m_pictureLevel, &QComboBox::setEnabled);
    // The compact page is made anew for the preview.
    connect(m_compact, &QCheckBox::toggled, this, [this] { showPage(m_current); });
    connect(m_pictureLevel, &QComboBox::currentIndexChanged, this, [this] { showPage(m_current); });
    connect(m_recognise, &QCheckBox::toggled, m_languages, &QComboBox::setEnabled);
    connect(m_recognise, &QCheckBox::toggled, this, [this] { showRecognitionMessage(QString()); });
    connect(m_languages, &QComboBox::currentIndexChanged, this,
            [this] { showRecognitionMessage(QString()); });
}

ExportDlg::~ExportDlg() = default;

void ExportDlg::setPages(const QStringList &pages)
{
    ExportBaseDlg::setPages(pages);
    loadOptions();
    showPage(0);
}

PdfPageOptions ExportDlg::optionsFromWidgets() const
{
    PdfPageOptions options;
    options.paperId = m_paper->currentData().toInt();
    options.orientation = m_orientation->currentData().toInt();
    options.scaleMode = m_scale->currentData().toInt();
    options.centred = m_centre->isChecked();
    options.margins.left = m_left->value();
    options.margins.right = m_right->value();
    options.margins.top = m_top->value();
    options.margins.bottom = m_bottom->value();
    options.recognise = m_recognise->isChecked();
    options.languages = m_languages->currentData().toString();
    options.compact = m_compact->isChecked();
    options.pictureLevel = m_pictureLevel->currentData().toInt();
    return options;
}

void ExportDlg::loadOptions()
{
    const PdfPageOptions options = PdfPageOptions::read();
    selectData(m_paper, options.paperId);
    selectData(m_orientation, options.orientation);
    selectData(m_scale, options.scaleMode);
    m_left->setValue(options.margins.left);
    m_right->setValue(options.margins.right);
    m_top->setValue(options.margins.top);
    m_bottom->setValue(options.margins.bottom);
    m_centre->setChecked(options.centred);
    selectLanguages(options.languages);
    m_recognise->setChecked(options.recognise);
    {
        // Both are read by showPage(), which follows.
        const QSignalBlocker compactBlock(m_compact);
        const QSignalBlocker levelBlock(m_pictureLevel);
        selectData(m_pictureLevel, options.pictureLevel);
        m_compact->setChecked(options.compact);
        m_pictureLevel->setEnabled(options.compact);
    }
    showRecognitionMessage(QString());
    openCheck()->setChecked(DestinationSettings::read(Kind::Pdf).needOpen);
}

void ExportDlg::apply()
{
    if (pages().isEmpty())
        return;
    const PdfPageOptions options = optionsFromWidgets();
    // Checked before anything is asked: a missing language file is told here, not as a failed
    // export.
    if (options.recognise) {
        const QStringList absent = OcrLanguages::missing(options.languages);
        if (!absent.isEmpty()) {
            // No language installed at all: the combo is empty and the choice with it.
            const bool none = absent.first().isEmpty();
            const QString code = none ? QStringLiteral("eng") : absent.first();
            showRecognitionMessage(
                tr("Text cannot be recognised in %1: its recognition data are not installed "
                   "(package tesseract-ocr-%2). Choose another language or install the data.")
                    .arg(OcrLanguages::displayName(none ? code : options.languages), code));
            return;
        }
    }
    // Asked before any work, so that the user can still change the name or the folder.
    const DestinationSettings destination = destinationFromWidgets();
    const QString path = confirmOutputPath(destination);
    if (path.isEmpty())
        return;
    showRecognitionMessage(QString());
    // A preview rendered between pages would only slow the export down.
    m_timer->stop();

    DialogProgress progress(std::make_unique<PdfProgress>(int(pages().size()), this));
    progress.setCreatingPhase();
    QCoreApplication::processEvents();

    options.write();
    destination.write(kind());

    const PdfExport::Result exported = PdfExport::write(pages(), path, options, progress);
    const PdfWriter::Result &result = exported.written;
    const QString &recognitionError = exported.recognitionError;
    // Closed on every outcome, so that no unclosable modal window stays behind.
    progress.finish();

    switch (result.outcome) {
    case PdfWriter::Outcome::Written:
        emit applied(result.path);
        accept();
        break;
    case PdfWriter::Outcome::UnsupportedPage:
    case PdfWriter::Outcome::UnreadablePage:
        // The user may remove the page and try again: the dialog stays.
        emit failed(result.path, result.message);
        break;
    case PdfWriter::Outcome::CannotWrite:
        hide();
        emit failed(result.path);
        close();
        break;
    case PdfWriter::Outcome::Cancelled:
        // The engine could not load its data after all: the dialog stays with the reason.
        if (!recognitionError.isEmpty()) {
            showRecognitionMessage(
                tr("Text cannot be recognised in %1: its recognition data could not be loaded.")
                    .arg(OcrLanguages::displayName(options.languages)));
            break;
        }
        close();
        break;
    case PdfWriter::Outcome::NothingToWrite:
        close();
        break;
    }
}

void ExportDlg::printPreview(QPrinter *printer)
{
    QPainter painter(printer);
    if (!painter.isActive() || !m_previewHeader.isValid())
        return;
    const PdfPageOptions &options = m_previewOptions;
    const QSizeF paper = PaperSizes::points(options.paperId, options.isLandscape());
    const QRectF device = printer->paperRect(QPrinter::DevicePixel);
    const double factor = device.width() / paper.width();

    const PdfLayout::Placement placement = PdfLayout::place(
        paper, m_previewHeader.size(), m_previewHeader.dpiX(), m_previewHeader.dpiY(),
        options.margins, options.scaleMode, options.centred);
    const double width = m_previewHeader.size().width() * placement.scaleX;
    const double height = m_previewHeader.size().height() * placement.scaleY;
    // PDF measures from the bottom, the printer from the top.
    const QRectF target(placement.x * factor, (paper.height() - placement.y - height) * factor,
                        width * factor, height * factor);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_previewImage);

    // The area inside the margins, so that the user sees them.
    const double left = PdfLayout::centimetresToPoints(options.margins.left);
    const double right = PdfLayout::centimetresToPoints(options.margins.right);
    const double top = PdfLayout::centimetresToPoints(options.margins.top);
    const double bottom = PdfLayout::centimetresToPoints(options.margins.bottom);
    painter.setPen(QPen(Qt::lightGray, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(left * factor, top * factor, (paper.width() - left - right) * factor,
                            (paper.height() - top - bottom) * factor));
}

void ExportDlg::back()
{
    if (m_current > 0)
        showPage(m_current - 1);
}

void ExportDlg::next()
{
    if (m_current + 1 < pages().size())
        showPage(m_current + 1);
}

void ExportDlg::updateTimer()
{
    m_timer->start();
}

void ExportDlg::updatePreview()
{
    m_timer->stop();
    m_previewOptions = optionsFromWidgets();
    const QPageLayout::Orientation orientation =
        m_previewOptions.isLandscape() ? QPageLayout::Landscape : QPageLayout::Portrait;
    m_printer->setPageLayout(QPageLayout(
        QPageSize(PaperSizes::pageSizeId(m_previewOptions.paperId)), orientation, QMarginsF()));
    m_preview->updatePreview();
}

void ExportDlg::showPage(int index)
{
    m_current = index;
    m_pageLabel->setText(tr("Pages: %1/%2").arg(index + 1).arg(pages().size()));
    m_previewImage = QImage();
    m_previewHeader = ImageHeader();
    if (index < pages().size()) {
        const QString path = pages().at(index);
        m_previewHeader = ImageHeader::read(path);
        QImageReader reader(path);
        const QSize size = reader.size();
        // As the file will have it: a compact page is made from the whole page.
        const bool compact = m_compact->isChecked() && reader.format() == "jpeg";
        if (size.isValid() && !compact)
            reader.setScaledSize(
                size.scaled(QSize(previewSide, previewSide), Qt::KeepAspectRatio).boundedTo(size));
        m_previewImage = reader.read();
        if (compact) {
            m_previewImage = MixedRaster::compose(MixedRaster::separate(
                m_previewImage, MixedRaster::PictureLevel(m_pictureLevel->currentData().toInt())));
            m_previewImage = m_previewImage.scaled(
                m_previewImage.size().scaled(QSize(previewSide, previewSide), Qt::KeepAspectRatio)
                    .boundedTo(m_previewImage.size()),
                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    updatePreview();
}

QString ExportDlg::recognitionMessage() const
{
    return m_recognitionMessage->text();
}

void ExportDlg::showRecognitionMessage(const QString &message)
{
    m_recognitionMessage->setText(message);
    m_recognitionMessage->setVisible(!message.isEmpty());
}

void ExportDlg::selectLanguages(const QString &languages)
{
    // A stored choice that is not installed stays visible, so that the message can name it.
    int index = m_languages->findData(languages);
    if (index < 0 && !languages.isEmpty()) {
        m_languages->addItem(OcrLanguages::displayName(languages), languages);
        index = m_languages->count() - 1;
    }
    m_languages->setCurrentIndex(qMax(index, 0));
}
