#include "RibbonBar.h"

#include "KeyTipController.h"
#include "OfficeStyle.h"
#include "RibbonPage.h"
#include "RibbonTabBar.h"
#include "RibbonText.h"
#include "ThemeColors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace Ribbon {

RibbonBar::RibbonBar(QWidget *parent)
    : QWidget(parent), m_titleBar(new QLabel(this)), m_tabs(new RibbonTabBar(this)),
      m_stack(new QStackedWidget(this)), m_titleBarVisible(true)
{
    setObjectName(QStringLiteral("ribbonBar"));
    setAccessibleName(tr("Ribbon"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    m_titleBar->setObjectName(QStringLiteral("titleBar"));
    m_titleBar->setAlignment(Qt::AlignCenter);
    m_titleBar->setTextFormat(Qt::PlainText);
    const int gap = fontMetrics().height() / 4;
    m_titleBar->setContentsMargins(0, gap, 0, gap);

    m_tabs->setObjectName(QStringLiteral("pageTabs"));
    m_tabs->setAccessibleName(tr("Ribbon pages"));

    auto *tabRow = new QHBoxLayout;
    tabRow->setContentsMargins(fontMetrics().averageCharWidth() * 2, gap, 0, 0);
    tabRow->setSpacing(0);
    tabRow->addWidget(m_tabs);
    tabRow->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_titleBar);
    layout->addLayout(tabRow);
    layout->addWidget(m_stack);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        m_stack->setCurrentIndex(index);
        emit currentPageChanged(index);
    });

    // Owned by the bar; gives every command a keyboard path through Alt or F10.
    new KeyTipController(this, m_tabs);

    watchWindow();
    connectTheme();
}

RibbonPage *RibbonBar::addPage(const QString &title)
{
    auto *page = new RibbonPage(title, m_stack);
    m_pages.append(page);
    m_stack->addWidget(page);
    const int index = m_tabs->addTab(title);
    m_tabs->setAccessibleTabName(index, plainText(title));
    return page;
}

int RibbonBar::pageCount() const
{
    return int(m_pages.size());
}

RibbonPage *RibbonBar::page(int index) const
{
    return m_pages.value(index, nullptr);
}

void RibbonBar::setCurrentPage(int index)
{
    if (index >= 0 && index < pageCount())
        m_tabs->setCurrentIndex(index);
}

int RibbonBar::currentPage() const
{
    return m_tabs->currentIndex();
}

void RibbonBar::setTitleBarVisible(bool visible)
{
    m_titleBarVisible = visible;
    m_titleBar->setVisible(visible);
}

bool RibbonBar::isTitleBarVisible() const
{
    return m_titleBarVisible;
}

bool RibbonBar::event(QEvent *event)
{
    // Placed into a main window after construction: follow the new window's title.
    if (event->type() == QEvent::ParentChange)
        watchWindow();
    return QWidget::event(event);
}

bool RibbonBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::WindowTitleChange)
        updateTitle();
    return QWidget::eventFilter(watched, event);
}

void RibbonBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::StyleChange)
        connectTheme();
    // A dark or light desktop palette switched at run time reaches the bar as a change of
    // the palette it inherits: the panel palette follows. The bar's own palette is never set
    // here, so this cannot loop.
    else if (event->type() == QEvent::PaletteChange)
        applyTheme();
    QWidget::changeEvent(event);
}

void RibbonBar::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, colors.barTop);
    gradient.setColorAt(1.0, colors.barBottom);
    painter.fillRect(rect(), gradient);
}

void RibbonBar::watchWindow()
{
    QWidget *window = this->window();
    if (window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    if (window != this)
        window->installEventFilter(this);
    updateTitle();
}

void RibbonBar::updateTitle()
{
    QString title = m_watchedWindow ? m_watchedWindow->windowTitle() : QString();
    title.remove(QLatin1String("[*]"));
    m_titleBar->setText(title);
}

void RibbonBar::connectTheme()
{
    disconnect(m_themeConnection);
    if (OfficeStyle *style = OfficeStyle::of(this))
        m_themeConnection =
            connect(style, &OfficeStyle::themeChanged, this, &RibbonBar::applyTheme);
    applyTheme();
}

void RibbonBar::applyTheme()
{
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPalette barPalette = palette();
    barPalette.setColor(QPalette::WindowText, colors.barText);
    m_titleBar->setPalette(barPalette);
    m_tabs->setPalette(barPalette);
    // Everything on the panel (groups, labels, combo boxes) inherits from the stack.
    m_stack->setPalette(colors.panelPalette(QPalette()));
    update();
}

} // namespace Ribbon
