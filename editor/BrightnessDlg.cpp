#include "BrightnessDlg.h"

#include "ToneCurve.h"

#include <QDialogButtonBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
constexpr int DialogMargin = 6;
constexpr int Limit = 100;

QGraphicsView *addPane(const QString &title, QGraphicsScene *scene, QHBoxLayout *row)
{
    auto *group = new QGroupBox(title);
    auto *layout = new QVBoxLayout(group);
    auto *view = new QGraphicsView(scene);
    view->setAccessibleName(title);
    layout->addWidget(view, 1);
    row->addWidget(group, 1);
    return view;
}

QSlider *valueSlider(const QString &name)
{
    auto *slider = new QSlider(Qt::Vertical);
    slider->setRange(-Limit, Limit);
    slider->setValue(0);
    slider->setAccessibleName(name);
    return slider;
}
} // namespace

BrightnessDlg::BrightnessDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setModal(true);
    setMinimumSize(600, 300);
    setWindowTitle(tr("Brightness / Contrast"));

    m_sourceScene = new QGraphicsScene(this);
    m_destinationScene = new QGraphicsScene(this);
    m_sourceScene->setBackgroundBrush(Qt::white);
    m_destinationScene->setBackgroundBrush(Qt::white);
    m_brightnessSlider = valueSlider(tr("Brightness"));
    m_contrastSlider = valueSlider(tr("Contrast"));
    m_brightnessValue = new QLabel(valueText(0));
    m_contrastValue = new QLabel(valueText(0));
    const int labelWidth = m_contrastValue->fontMetrics().horizontalAdvance(QStringLiteral("-100"));
    m_brightnessValue->setFixedWidth(labelWidth);
    m_contrastValue->setFixedWidth(labelWidth);

    auto *row = new QHBoxLayout;
    m_sourceView = addPane(tr("Source Image"), m_sourceScene, row);
    row->addLayout(sliderColumn(QStringLiteral(":/images/BrightLight"), m_brightnessSlider,
                                m_brightnessValue));
    row->addLayout(
        sliderColumn(QStringLiteral(":/images/BrightContrast"), m_contrastSlider, m_contrastValue));
    m_destinationView = addPane(tr("Destination Image"), m_destinationScene, row);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(DialogMargin, DialogMargin, DialogMargin, DialogMargin);
    layout->addLayout(row);
    layout->addWidget(m_buttons);

    connect(m_brightnessSlider, &QSlider::valueChanged, this, &BrightnessDlg::brightnessChanged);
    connect(m_contrastSlider, &QSlider::valueChanged, this, &BrightnessDlg::contrastChanged);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &BrightnessDlg::apply);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &BrightnessDlg::reject);
}

BrightnessDlg::~BrightnessDlg() = default;

QLayout *BrightnessDlg::sliderColumn(const QString &picture, QSlider *slider, QLabel *value)
{
    auto *column = new QVBoxLayout;
    auto *icon = new QLabel;
    icon->setPixmap(QPixmap(picture));
    column->addWidget(icon);
    column->addWidget(slider, 1);
    column->addWidget(value);
    return column;
}

QString BrightnessDlg::valueText(int value)
{
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    return sign + QStringLiteral("%1").arg(qAbs(value), 3 - int(sign.size()), 10, QLatin1Char('0'));
}

int BrightnessDlg::brightnessValue() const
{
    return m_brightnessSlider->value();
}

int BrightnessDlg::contrastValue() const
{
    return m_contrastSlider->value();
}

void BrightnessDlg::setSourceImage(const QImage &image)
{
    const QSize pane = m_sourceView->size();
    {
        const QSignalBlocker blockBrightness(m_brightnessSlider);
        const QSignalBlocker blockContrast(m_contrastSlider);
        m_brightnessSlider->setValue(0);
        m_contrastSlider->setValue(0);
    }
    m_brightnessValue->setText(valueText(0));
    m_contrastValue->setText(valueText(0));

    m_source =
        image.isNull() ? QImage() : image.scaled(pane, Qt::KeepAspectRatio, Qt::FastTransformation);
    m_preview = m_source;
    const QPixmap pixmap = QPixmap::fromImage(m_source);
    if (!m_sourcePicture) {
        m_sourcePicture = m_sourceScene->addPixmap(pixmap);
        m_destinationPicture = m_destinationScene->addPixmap(pixmap);
    } else {
        m_sourcePicture->setPixmap(pixmap);
        m_destinationPicture->setPixmap(pixmap);
    }
    const QPointF offset(-(m_source.width() / 2), -(m_source.height() / 2));
    m_sourcePicture->setOffset(offset);
    m_destinationPicture->setOffset(offset);
    m_sourceView->fitInView(m_sourcePicture, Qt::KeepAspectRatio);
    m_destinationView->fitInView(m_destinationPicture, Qt::KeepAspectRatio);
}

void BrightnessDlg::brightnessChanged(int value)
{
    m_brightnessValue->setText(valueText(value));
    updatePreview();
}

void BrightnessDlg::contrastChanged(int value)
{
    m_contrastValue->setText(valueText(value));
    updatePreview();
}

void BrightnessDlg::updatePreview()
{
    if (m_source.isNull() || !m_destinationPicture)
        return;
    // A depth the curve does not handle is shown unchanged.
    m_preview = m_source.copy();
    applyToneCurve(m_preview, m_brightnessSlider->value(), m_contrastSlider->value());
    m_destinationPicture->setPixmap(QPixmap::fromImage(m_preview));
}

void BrightnessDlg::apply()
{
    emit applied();
    accept();
}

void BrightnessDlg::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    release();
}

void BrightnessDlg::release()
{
    // Nothing of the page stays in memory between two openings.
    m_source = QImage();
    m_preview = QImage();
    delete m_sourcePicture;
    delete m_destinationPicture;
    m_sourcePicture = nullptr;
    m_destinationPicture = nullptr;
}
