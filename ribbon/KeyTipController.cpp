#include "KeyTipController.h"

#include "KeyTipLabel.h"
#include "RibbonBar.h"
#include "RibbonButton.h"
#include "RibbonPage.h"
#include "RibbonText.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>

#include <algorithm>

namespace Ribbon {

namespace {

// Where a large button's icon starts: the style's button margin plus half the 6 pixels it
// adds around the icon.
constexpr int LargeButtonIconTop = 6;

// Second keys for clashing tips; digits first, as they never start another tip's key.
const QString &suffixes()
{
    static const QString chars = QStringLiteral("123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return chars;
}

QString baseKey(const QString &text)
{
    QChar c = mnemonicChar(text);
    if (c.isNull() || !c.isLetterOrNumber()) {
        c = QChar();
        const QString plain = plainText(text);
        const auto it = std::find_if(plain.begin(), plain.end(),
                                     [](QChar ch) { return ch.isLetterOrNumber(); });
        if (it != plain.end())
            c = *it;
    }
    return c.isNull() ? QString() : QString(c.toUpper());
}

} // namespace

KeyTipController::KeyTipController(RibbonBar *bar, QTabBar *tabs)
    : QObject(bar), m_bar(bar), m_tabs(tabs), m_level(Level::Off), m_altAlone(false)
{
    // Application-wide, since keys go to the focused child, which may eat letters itself.
    qApp->installEventFilter(this);
}

KeyTipController::Level KeyTipController::level() const
{
    return m_level;
}

QStringList KeyTipController::assignKeys(const QStringList &texts)
{
    QStringList bases;
    for (const QString &text : texts)
        bases.append(baseKey(text));
    QStringList keys;
    for (qsizetype i = 0; i < bases.size(); ++i) {
        const QString &base = bases.at(i);
        const qsizetype ordinal = bases.mid(0, i).count(base);
        if (base.isEmpty() || bases.count(base) == 1)
            keys.append(base);
        else if (ordinal < suffixes().size())
            keys.append(base + suffixes().at(ordinal));
        else
            keys.append(QString());
    }
    return keys;
}

bool KeyTipController::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        m_altAlone = false;
        leave();
        return false;
    case QEvent::Shortcut:
        // Alt+letter fired a shortcut: its Alt release must not open the tips.
        m_altAlone = false;
        return false;
    case QEvent::WindowDeactivate:
    case QEvent::Resize:
        if (watched == m_bar->window())
            leave();
        return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    default:
        return false;
    }
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_bar->window())
        return false;
    return handleKey(static_cast<QKeyEvent *>(event));
}

bool KeyTipController::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    const bool inMode = m_level != Level::Off;
    if (key == Qt::Key_Alt) {
        if (event->type() == QEvent::KeyPress && !event->isAutoRepeat()) {
            m_altAlone = (event->modifiers() & ~Qt::AltModifier) == Qt::NoModifier;
        } else if (event->type() == QEvent::KeyRelease && m_altAlone) {
            m_altAlone = false;
            if (inMode)
                leave();
            else
                showPageTips();
            return true;
        }
        return inMode;
    }
    if (event->type() != QEvent::KeyRelease)
        m_altAlone = false;

    if (!inMode) {
        if (key != Qt::Key_F10 || event->modifiers() != Qt::NoModifier ||
            event->type() != QEvent::KeyPress)
            return false;
        showPageTips();
        return true;
    }
    // While tips show, every key belongs to them: no shortcut (Space) may fire meanwhile.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return true;
    if (key == Qt::Key_Escape) {
        back();
    } else if (key == Qt::Key_F10) {
        leave();
    } else {
        QString text = event->text().toUpper();
        if (text.isEmpty() &&
            ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)))
            text = QChar(key);
        if (text.size() == 1 && text.at(0).isLetterOrNumber())
            type(text.at(0));
    }
    return true;
}

void KeyTipController::type(QChar c)
{
    const QString typed = m_typed + c;
    bool any = false;
    for (const Tip &tip : std::as_const(m_tips)) {
        if (tip.key == typed) {
            const Tip chosen = tip;
            activate(chosen);
            return;
        }
        any = any || tip.key.startsWith(typed);
    }
    if (!any)
        return; // a key of no tip: ignored, the user may try another
    m_typed = typed;
    for (const Tip &tip : std::as_const(m_tips))
        tip.label->setVisible(tip.key.startsWith(typed));
}

void KeyTipController::activate(const Tip &tip)
{
    if (m_level == Level::Pages) {
        m_bar->setCurrentPage(tip.page);
        showCommandTips();
        return;
    }
    leave();
    if (tip.action) {
        if (tip.action->isEnabled())
            tip.action->trigger();
    } else if (tip.target && tip.target->isEnabled()) {
        tip.target->setFocus(Qt::ShortcutFocusReason);
    }
}

void KeyTipController::back()
{
    if (!m_typed.isEmpty()) {
        m_typed.clear();
        for (const Tip &tip : std::as_const(m_tips))
            tip.label->show();
    } else if (m_level == Level::Commands) {
        showPageTips();
    } else {
        leave();
    }
}

void KeyTipController::showPageTips()
{
    clearTips();
    m_level = Level::Pages;
    QStringList texts;
    for (int i = 0; i < m_tabs->count(); ++i)
        texts.append(m_tabs->isTabEnabled(i) && m_tabs->isTabVisible(i) ? m_tabs->tabText(i)
                                                                        : QString());
    const QStringList keys = assignKeys(texts);
    for (int i = 0; i < keys.size(); ++i) {
        const QRect rect = m_tabs->tabRect(i);
        // Below the title, so the title stays readable.
        addTip(keys.at(i), m_tabs, QPoint(rect.center().x(), rect.bottom() + 1),
               Qt::AlignHCenter | Qt::AlignTop, {{}, nullptr, i, {}, {}});
    }
}

void KeyTipController::showCommandTips()
{
    clearTips();
    m_level = Level::Commands;
    RibbonPage *page = m_bar->page(m_bar->currentPage());
    if (!page)
        return;
    // Commands (buttons) and labelled rows, in reading order: group by group, top down.
    struct Target
    {
        QWidget *anchor;
        QString text;
        Tip tip;
    };
    QList<Target> targets;
    // Disabled commands take no key, so that they do not push enabled ones onto second keys.
    const auto usable = [page](const QWidget *w) { return w->isVisibleTo(page) && w->isEnabled(); };
    for (QToolButton *button : page->findChildren<QToolButton *>()) {
        // Commands and the groups' option buttons; not the tool buttons inside other controls.
        const bool command = qobject_cast<RibbonButton *>(button) ||
                             button->objectName() == QLatin1String("optionButton");
        QAction *action = button->defaultAction();
        if (command && action && action->isEnabled() && usable(button))
            targets.append({button, action->text(), {{}, nullptr, -1, action, {}}});
    }
    for (QLabel *label : page->findChildren<QLabel *>()) {
        if (label->buddy() && usable(label) && label->buddy()->isEnabled())
            targets.append({label, label->text(), {{}, nullptr, -1, {}, label->buddy()}});
    }
    std::stable_sort(targets.begin(), targets.end(), [page](const Target &a, const Target &b) {
        const QPoint pa = a.anchor->mapTo(page, QPoint());
        const QPoint pb = b.anchor->mapTo(page, QPoint());
        return pa.x() != pb.x() ? pa.x() < pb.x() : pa.y() < pb.y();
    });
    QStringList texts;
    for (const Target &target : std::as_const(targets))
        texts.append(target.text);
    const QStringList keys = assignKeys(texts);
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const Target &target = targets.at(i);
        // Never over the words the tip stands for: large buttons get it beside their icon,
        // rows at the right end of their control, small buttons on their lower edge.
        if (auto *button = qobject_cast<QToolButton *>(target.anchor);
            button && button->toolButtonStyle() == Qt::ToolButtonTextUnderIcon) {
            const QSize icon = button->iconSize();
            addTip(keys.at(i), button,
                   QPoint((button->width() + icon.width()) / 2 + 2,
                          LargeButtonIconTop + icon.height() / 2),
                   Qt::AlignLeft | Qt::AlignVCenter, target.tip);
        } else if (QWidget *control = target.tip.target) {
            addTip(keys.at(i), control, QPoint(control->width() - 2, control->height() / 2),
                   Qt::AlignRight | Qt::AlignVCenter, target.tip);
        } else {
            addTip(keys.at(i), target.anchor,
                   QPoint(target.anchor->width() / 2, target.anchor->height()), Qt::AlignCenter,
                   target.tip);
        }
    }
}

void KeyTipController::addTip(const QString &key, QWidget *anchor, const QPoint &point,
                              Qt::Alignment side, const Tip &tip)
{
    if (key.isEmpty())
        return;
    QWidget *window = m_bar->window();
    auto *label = new KeyTipLabel(key, window);
    label->setEnabled(anchor->isEnabled() && (!tip.action || tip.action->isEnabled()));
    label->placeAt(anchor->mapTo(window, point), side);
    label->show();
    Tip added = tip;
    added.key = key;
    added.label = label;
    m_tips.append(added);
}

void KeyTipController::clearTips()
{
    for (const Tip &tip : std::as_const(m_tips)) {
        // Later, as a key event may still be on its way through the labels' window.
        tip.label->hide();
        tip.label->deleteLater();
    }
    m_tips.clear();
    m_typed.clear();
}

void KeyTipController::leave()
{
    if (m_level == Level::Off)
        return;
    clearTips();
    m_level = Level::Off;
}

} // namespace Ribbon
