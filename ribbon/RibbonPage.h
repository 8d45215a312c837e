#pragma once

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QToolButton;

namespace Ribbon {

class RibbonGroup;

// One page of the ribbon: a panel holding its groups side by side, in the order added.
// When the window is too narrow for all groups, the row of groups scrolls sideways: arrow
// buttons appear at the cut-off ends, the mouse wheel scrolls, and a control that takes the
// keyboard focus is scrolled into view, so every command stays reachable.
// Created and owned by RibbonBar::addPage(). GUI thread only.
class RibbonPage : public QWidget
{
    Q_OBJECT

public:
    explicit RibbonPage(const QString &title, QWidget *parent = nullptr);

    // Appends a group at the right end; the page owns it.
    RibbonGroup *addGroup(const QString &title);
    // The title as given, mnemonic included.
    QString title() const;
    QList<RibbonGroup *> groups() const;

    // The full row of groups; the page itself can be as narrow as its two arrow buttons.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Scrolls so that widget, a control on this page, is fully shown where it fits.
    void ensureVisible(const QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QToolButton *makeScrollButton(Qt::ArrowType arrow, const QString &name);
    void scrollBy(int dx);
    void layoutRow();

    QString m_title;
    QWidget *m_row;
    QHBoxLayout *m_layout;
    QToolButton *m_scrollLeft;
    QToolButton *m_scrollRight;
    QList<RibbonGroup *> m_groups;
    int m_offset;
};

} // namespace Ribbon
