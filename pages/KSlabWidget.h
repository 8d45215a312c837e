#pragma once

#include <QFrame>
#include <QImage>
#include <QPointer>

class KGraphicsView;
class QCheckBox;
class QGraphicsRectItem;
class QGraphicsScene;
class QKeyEvent;
class QLabel;
class QMenu;
class QVBoxLayout;

// One tile of the thumbnail strip: a caption with the page title on top, the thumbnail below
// it and, when checkable, a check box in the top-left corner of the thumbnail.
//
// GUI thread only. The caption, the image view, the check box and the scene are the tile's
// children. The tile keeps its own (implicitly shared) copy of the image it shows, so callers
// need not keep theirs. The context menu is not owned and may be destroyed at any time.
class KSlabWidget : public QFrame
{
    Q_OBJECT

public:
    KSlabWidget(int width, int height, const QString &title, QWidget *parent = nullptr,
                bool checkable = true);
    ~KSlabWidget() override;

    // Shows image fitted into the view, replacing any image shown before.
    void setImage(const QImage &image);
    // The image shown, or null when none is shown; valid until the image is replaced.
    const QImage *image() const;
    // Drops the image and any turn of the view; returns whether an image was shown.
    bool clearImage();

    QString title() const { return m_title; }
    void setTitle(const QString &title);

    // Accepted only when both sides are within 100 .. 1001 pixels; the image is fitted again.
    void setThumbSize(int width, int height);
    // Turns the view by angle degrees in addition to its present turn; angle above 360 is
    // ignored. The image itself is not changed.
    void setRotation(quint16 angle);
    // The total turn applied since the image was last cleared, in degrees (not reduced).
    int rotation() const { return m_rotation; }

    // False when the tile has no check box.
    bool isChecked() const;
    bool isCheckable() const { return m_checkBox != nullptr; }
    void setChecked(bool checked);

    void setContextMenu(QMenu *menu);

    // A short remark on the page ("Blank?"), shown over the thumbnail's lower edge and told
    // to assistive technology; empty removes it.
    void setNote(const QString &note);
    QString note() const;

    // Draws the tile as the current one, or as an ordinary one.
    void setFocused();
    void setUnfocused();

signals:
    void focused();
    void mouseDoubleClicked();
    void checked(bool state);
    // An arrow key (Qt::Key_Left .. Qt::Key_Down) was pressed on the tile; the strip picks
    // the neighbour.
    void arrowPressed(int key);
    // The left button was pressed on the tile and the mouse moved far enough for a drag.
    void dragRequested();

public slots:
    // Draws the tile as current and tells the strip.
    void focusIn();
    void sendMouseDClicked();
    // Check-box state: 0 unchecked, 2 checked; the partial state 1 says nothing.
    void wasChecked(int state);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Ctrl+Space (with a check box) and the plain arrow keys.
    bool ownsKey(const QKeyEvent *event) const;
    void fitImage();
    void setToolTips(const QString &text);

    QPointer<QMenu> m_contextMenu;
    QLabel *m_caption = nullptr;
    KGraphicsView *m_view = nullptr;
    QCheckBox *m_checkBox = nullptr;
    QLabel *m_note = nullptr;
    QVBoxLayout *m_boxLayout = nullptr;
    QString m_title;
    QSize m_size;
    QImage m_image;
    QGraphicsScene *m_scene = nullptr;
    QGraphicsRectItem *m_outline = nullptr;
    double m_scale = 1.0;
    bool m_hasImage = false;
    int m_rotation = 0;
    // Where the left button went down, for telling a drag from a click; null when it is up.
    QPoint m_pressPoint;
    bool m_pressed = false;
    // Which style sheets are applied, so unchanged ones are not set again.
    bool m_styled = false;
    bool m_drawnFocused = false;
    // The application palette the style sheets were made from.
    qint64 m_paletteKey = 0;
};
