#pragma once

#include <QHash>
#include <QIcon>
#include <QToolButton>
#include <QWidget>

class QAction;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QMenu;
class QVBoxLayout;

namespace Ribbon {

// A group of commands on a ribbon page: its controls on top, the caption (with its mnemonic
// underlined) centred at the bottom, an optional option button at the caption's right end
// and a thin separator towards the next group.
// Large buttons stand side by side; labelled rows and small buttons stack in columns.
// Created and owned by RibbonPage::addGroup(). GUI thread only.
class RibbonGroup : public QWidget
{
    Q_OBJECT

public:
    explicit RibbonGroup(const QString &title, QWidget *parent = nullptr);

    // Adds a button for a new action and returns the action, which the group owns. With
    // Qt::ToolButtonTextUnderIcon it is a large button (32 x 32 icon, text below); other
    // styles give a small button stacked in a column. Every button is at least 72 pixels
    // wide and follows the action's text, tooltip, enabled and checked state. menu, when
    // given, opens from the button in the given popup mode; the caller keeps owning it.
    QAction *addAction(const QIcon &icon, const QString &text, Qt::ToolButtonStyle style,
                       QMenu *menu = nullptr,
                       QToolButton::ToolButtonPopupMode mode = QToolButton::MenuButtonPopup);

    // Adds a row: the label text (with icon unless it is null) on the left, widget on the
    // right, filling the row when stretch is set. Consecutive rows stack in one column.
    // The label is the widget's buddy, so its mnemonic focuses the widget. The group takes
    // widget over. Returns an action standing for the row (owned by the group): disabling or
    // hiding it disables or hides the row.
    QAction *addWidget(const QIcon &icon, const QString &text, bool stretch, QWidget *widget);

    // The small button at the caption's right end; hidden until switched on. Its action
    // carries the tooltip and the triggered signal.
    void setOptionButtonVisible(bool visible);
    bool isOptionButtonVisible() const;
    QAction *optionButtonAction() const;

    // Centres the controls vertically and horizontally instead of packing them top-left.
    void setControlsCentering(bool centre);
    bool controlsCentering() const;

    // The title as given, mnemonic included.
    QString title() const;

    // The button or row showing action, null for a foreign action. Callers may size it.
    QWidget *widgetFor(QAction *action) const;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int spacing() const;
    QVBoxLayout *column();
    void addControl(QWidget *control);
    void alignColumnLabels();
    void applyAlignment();
    void registerShortcut(QAction *action);
    void updateOptionButton();
    QIcon optionIcon() const;

    QString m_title;
    QVBoxLayout *m_main;
    QWidget *m_controlsBox;
    QHBoxLayout *m_controls;
    QVBoxLayout *m_column;
    QList<QLabel *> m_columnLabels;
    QGridLayout *m_captionRow;
    QLabel *m_caption;
    QToolButton *m_optionButton;
    QAction *m_optionAction;
    QHash<QAction *, QWidget *> m_widgets;
    bool m_centred;
};

} // namespace Ribbon
