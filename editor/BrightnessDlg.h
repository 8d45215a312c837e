#pragma once

#include <QDialog>
#include <QImage>

class QDialogButtonBox;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QSlider;

// Picks a brightness and a contrast change (percent, -100 to 100, 0 = none) while showing the
// page unchanged on the left and changed on the right. The preview works on a copy of the
// page reduced to the pane's size, made once per opening; the full page is changed by the
// editor, on OK. Everything of the page is let go when the dialog closes.
//
// GUI thread only. The dialog owns its reduced copies, views, scenes and pictures.
class BrightnessDlg : public QDialog
{
    Q_OBJECT

public:
    explicit BrightnessDlg(QWidget *parent = nullptr);
    ~BrightnessDlg() override;

    // Starts a preview of image with both values at 0; call it after the dialog is shown, so
    // the reduced copy fits the pane.
    void setSourceImage(const QImage &image);
    int brightnessValue() const;
    int contrastValue() const;

    // The reduced page and the previewed result; null when the dialog is closed.
    QImage sourceImage() const { return m_source; }
    QImage previewImage() const { return m_preview; }
    QSlider *brightnessSlider() const { return m_brightnessSlider; }
    QSlider *contrastSlider() const { return m_contrastSlider; }
    QLabel *brightnessLabel() const { return m_brightnessValue; }
    QLabel *contrastLabel() const { return m_contrastValue; }
    QDialogButtonBox *buttons() const { return m_buttons; }
    QGraphicsScene *sourceScene() const { return m_sourceScene; }
    QGraphicsScene *destinationScene() const { return m_destinationScene; }

    // "050", "-05", "-100": three characters, the sign counting as one.
    static QString valueText(int value);

signals:
    // OK was pressed; sent before the dialog closes.
    void applied();

public slots:
    void brightnessChanged(int value);
    void contrastChanged(int value);
    void apply();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QLayout *sliderColumn(const QString &picture, QSlider *slider, QLabel *value);
    void updatePreview();
    void release();

    QImage m_source;
    QImage m_preview;
    QGraphicsView *m_sourceView = nullptr;
    QGraphicsView *m_destinationView = nullptr;
    QGraphicsScene *m_sourceScene = nullptr;
    QGraphicsScene *m_destinationScene = nullptr;
    QGraphicsPixmapItem *m_sourcePicture = nullptr;
    QGraphicsPixmapItem *m_destinationPicture = nullptr;
    QSlider *m_brightnessSlider = nullptr;
    QSlider *m_contrastSlider = nullptr;
    QLabel *m_brightnessValue = nullptr;
    QLabel *m_contrastValue = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
