#pragma once

#include <QList>
#include <QWidget>

class QHBoxLayout;

namespace Ribbon {

class RibbonGroup;

// One page of the ribbon: a panel holding its groups side by side, in the order added.
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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QHBoxLayout *m_layout;
    QList<RibbonGroup *> m_groups;
};

} // namespace Ribbon
