#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QKeyEvent;
class QTabBar;
class QWidget;

namespace Ribbon {

class KeyTipLabel;
class RibbonBar;

// Key tips for the ribbon: pressing and releasing Alt alone (or F10) in the bar's window
// labels the page titles with their keys; typing one opens that page and labels its commands
// and rows; typing a command's key triggers it (a row's key focuses its widget). Mnemonics
// of commands often clash on a page, so clashing ones get a second key ("R1", "R2").
// Escape goes back one level; a click or the window losing focus leaves.
// Created and owned by RibbonBar. GUI thread only.
class KeyTipController : public QObject
{
    Q_OBJECT

public:
    enum class Level
    {
        Off,
        Pages,
        Commands
    };

    KeyTipController(RibbonBar *bar, QTabBar *tabs);

    Level level() const;

    // One key per text, unique and none a prefix of another: the mnemonic letter (else the
    // first letter or digit) when no other text shares it, otherwise that letter followed by
    // a digit or letter. A text without a letter or digit gets an empty key.
    static QStringList assignKeys(const QStringList &texts);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Tip
    {
        QString key;
        KeyTipLabel *label;
        int page;
        QPointer<QAction> action;
        QPointer<QWidget> target;
    };

    bool handleKey(QKeyEvent *event);
    void type(QChar c);
    void activate(const Tip &tip);
    void back();
    void showPageTips();
    void showCommandTips();
    // The tip's side given by side (as in KeyTipLabel::placeAt) goes to point of anchor.
    void addTip(const QString &key, QWidget *anchor, const QPoint &point, Qt::Alignment side,
                const Tip &tip);
    void clearTips();
    void leave();

    RibbonBar *m_bar;
    QTabBar *m_tabs;
    Level m_level;
    bool m_altAlone;
    QString m_typed;
    QList<Tip> m_tips;
};

} // namespace Ribbon
