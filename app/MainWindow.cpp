#include "MainWindow.h"

#include "AutoScanWizard.h"
#include "ExportDjvuDlg.h"
#include "ExportDlg.h"
#include "ExportFileDlg.h"
#include "ExportWordDlg.h"
#include "EzPrevScan.h"
#include "FolderHelpers.h"
#include "ImageEditor.h"
#include "OptionsDlg.h"
#include "PageListWidget.h"
#include "PhotoGraphicsView.h"
#include "RibbonBar.h"
#include "RibbonGroup.h"
#include "RibbonPage.h"
#include "RibbonSliderPane.h"
#include "RibbonStyle.h"
#include "SaneScannerLibrary.h"
#include "ScanAreaView.h"
#include "SettingsKeys.h"
#include "SplashPanel.h"
#include "StartPanel.h"
#include "StartUp.h"
#include "WorkspaceWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr int CommandMinimumWidth = 72;
constexpr int FastSettingsRowWidth = 250;
constexpr int RibbonTheme = 4;

// The button names the scanner in use; its spoken name stays the command.
void showScannerInUse(QPushButton *button, ScannerLibrary *library)
{
    const QString name = library->currentSourceName();
    button->setText(name.isEmpty() ? MainWindow::tr("Select Scanner") : name);
    button->setAccessibleDescription(name);
}
} // namespace

MainWindow::MainWindow(StartOption option, std::unique_ptr<ScannerLibrary> library, QWidget *parent)
    : Ribbon::RibbonMainWindow(parent)
{
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() +
                                     QStringLiteral("/plugins"));
    writeSetting(Settings::Version, QLatin1String(StartUp::ProductVersion));
    m_ribbonStyle = qobject_cast<Ribbon::RibbonStyle *>(QApplication::style());
    if (m_ribbonStyle)
        m_ribbonStyle->setTheme(RibbonTheme);
    if (option == ShowSplash)
        showSplash();

    buildRibbon();
    buildStatusBar();
    ribbonBar()->setTitleBarVisible(false);
    removeStaleTempFiles();
    buildCentralArea(std::move(library));
    buildScannerList();
    connectCommands();
    setActionsEnabled(m_pageActions, false);
    createExportDialogs();
    m_wizard = new AutoScanWizard(this);
    connect(m_wizard, &AutoScanWizard::needAutoScan, this, &MainWindow::startAutoScan);
    createNetwork();

    setWindowState(windowState() | Qt::WindowMaximized);
    // Less on a screen that cannot hold it, so the status bar and the slider stay on screen.
    setPreferredMinimumSize(QSize(1024, 768));
    setWindowTitle(tr("Quillary - Automatic Scan to PDF, DjVu, JPEG, TIFF, BMP, PNG"));
    applyStoredFastSettings();

    if (m_splash) {
        finishSplash();
        // Only a real start has a splash; windows made without one never go online by themselves.
        QTimer::singleShot(1000, this, &MainWindow::checkInstall);
    }
    offerWaitingPages();
}

MainWindow::~MainWindow() = default;

QAction *MainWindow::action(Command id) const
{
    return m_actions.value(id);
}

void MainWindow::showSplash()
{
    m_splash = new SplashPanel;
    m_splash->show();
    QCoreApplication::processEvents();
}

void MainWindow::finishSplash()
{
    // A short settle so the window is drawn before the splash goes.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    m_splash->finish(this);
    m_splash->deleteLater();
    m_splash = nullptr;
}

void MainWindow::buildRibbon()
{
    QList<Ribbon::RibbonPage *> pages;
    for (const QString &title : ribbonPageTitles())
        pages << ribbonBar()->addPage(title);

    QHash<QString, Ribbon::RibbonGroup *> groups;
    for (const CommandInfo &info : commandTable()) {
        const QString groupTitle = tr(info.group);
        const QString groupKey = QString::number(info.page) + groupTitle;
        Ribbon::RibbonGroup *group = groups.value(groupKey);
        if (!group) {
            group = pages[info.page]->addGroup(groupTitle);
            groups.insert(groupKey, group);
            if (info.id == Command::ScanPage) {
                group->setOptionButtonVisible(true);
                QAction *restore = group->optionButtonAction();
                restore->setToolTip(tr("Restore Session"));
                restore->setText(tr("Restore Session"));
                connect(restore, &QAction::triggered, this, &MainWindow::restoreSession);
            }
        }
        QAction *action = group->addAction(QIcon(QLatin1String(info.icon)), tr(info.text),
                                           Qt::ToolButtonTextUnderIcon);
        action->setToolTip(tr(info.toolTip));
        action->setShortcuts(QKeySequence::listFromString(QLatin1String(info.shortcut)));
        action->setCheckable(info.checkable);
        if (QWidget *button = group->widgetFor(action))
            button->setMinimumWidth(CommandMinimumWidth);
        m_actions.insert(info.id, action);
        if (info.lists & PageActions)
            m_pageActions << action;
        if (info.lists & ScanActions)
            m_scanActions << action;
        if (info.id == Command::Settings)
            buildFastSettings(group);
    }
    buildMenus();
}

void MainWindow::connectCommands()
{
    const QList<QPair<Command, void (MainWindow::*)()>> commandSlots = {
        {Command::Settings, &MainWindow::settings},
        {Command::BuildPdf, &MainWindow::buildPdf},
        {Command::BuildDjvu, &MainWindow::buildDjvu},
        {Command::BuildWord, &MainWindow::buildWord},
        {Command::ExportFiles, &MainWindow::exportFiles},
        {Command::ScanPage, &MainWindow::scanPage},
        {Command::AutoScan, &MainWindow::autoScan},
        {Command::LoadFile, &MainWindow::loadFile},
        {Command::RotateLeft, &MainWindow::rotateLeft},
        {Command::RotateRight, &MainWindow::rotateRight},
        {Command::RotateFlip, &MainWindow::rotateFlip},
        {Command::ZoomIn, &MainWindow::zoomIn},
        {Command::ZoomOut, &MainWindow::zoomOut},
        {Command::ZoomFit, &MainWindow::zoomFit},
        {Command::Brightness, &MainWindow::contrast},
        {Command::Undo, &MainWindow::undo},
        {Command::Redo, &MainWindow::redo},
        {Command::MoveUp, &MainWindow::moveUp},
        {Command::MoveDown, &MainWindow::moveDown},
        {Command::MoveTop, &MainWindow::moveTop},
        {Command::MoveBottom, &MainWindow::moveBottom},
        {Command::TwoSidedStack, &MainWindow::sortTwoSidedStack},
        {Command::RemovePage, &MainWindow::removePage},
        {Command::RemoveAll, &MainWindow::removeAll},
        {Command::RemoveAllButThis, &MainWindow::removeAllButThis},
        {Command::RemoveAllChecked, &MainWindow::removeAllChecked},
        {Command::RemoveAllUnchecked, &MainWindow::removeAllUnchecked},
        {Command::Help, &MainWindow::help},
        {Command::About, &MainWindow::about},
        {Command::Update, &MainWindow::update},
    };
    QSet<Command> connected;
    for (const auto &[command, slot] : commandSlots) {
        connect(action(command), &QAction::triggered, this, slot);
        connected.insert(command);
    }
    connect(action(Command::Crop), &QAction::toggled, this, &MainWindow::crop);
    connected.insert(Command::Crop);
    // A choice the turn commands read, not a command of its own.
    connected.insert(Command::TurnChecked);
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        if (!connected.contains(it.key())) {
            m_unavailable.insert(it.value());
            it.value()->setEnabled(false);
        }
    }
    connectEditing();
}

void MainWindow::buildFastSettings(Ribbon::RibbonGroup *group)
{
    group->setControlsCentering(true);

    m_selectScannerButton = new QPushButton(tr("Select Scanner"));
    m_selectScannerButton->setToolTip(tr("Select Scanner"));
    m_colorBox = new QComboBox;
    m_colorBox->setToolTip(tr("Color Mode"));
    m_qualityBox = new QComboBox;
    m_qualityBox->setToolTip(tr("Scan Quality"));

    const QList<QPair<QString, QWidget *>> rows = {{tr("Scanner:"), m_selectScannerButton},
                                                   {tr("Color Mode:"), m_colorBox},
                                                   {tr("Quality:"), m_qualityBox}};
    for (const auto &row : rows) {
        QAction *rowAction = group->addWidget(QIcon(), row.first, true, row.second);
        if (QWidget *rowWidget = group->widgetFor(rowAction))
            rowWidget->setFixedWidth(FastSettingsRowWidth);
        row.second->setAccessibleName(row.second->toolTip());
    }
    connect(m_selectScannerButton, &QPushButton::clicked, this, &MainWindow::selectSource);
    // After selectSource(), whose dialog is modal.
    connect(m_selectScannerButton, &QPushButton::clicked, this,
            [this] { showScannerInUse(m_selectScannerButton, m_session->library()); });
    connect(m_colorBox, &QComboBox::currentIndexChanged, this, &MainWindow::colorChanged);
    connect(m_qualityBox, &QComboBox::currentIndexChanged, this, &MainWindow::qualityChanged);
}

void MainWindow::buildMenus()
{
    m_editorMenu = new QMenu(this);
    m_pageMenu = new QMenu(this);
    const auto fill = [this](QMenu *menu, const QList<std::optional<Command>> &layout) {
        for (const auto &entry : layout) {
            if (entry)
                menu->addAction(action(*entry));
            else
                menu->addSeparator();
        }
    };
    fill(m_editorMenu, editorMenuLayout());
    fill(m_pageMenu, pageMenuLayout());
}

void MainWindow::buildStatusBar()
{
    m_sliderPane = new Ribbon::RibbonSliderPane(statusBar());
    m_sliderPane->setScrollButtons(true);
    m_sliderPane->setRange(100, 300);
    m_sliderPane->setSingleStep(50);
    m_sliderPane->setMinimumWidth(100);
    m_sliderPane->setMaximumWidth(130);
    m_sliderPane->setSliderPosition(200);
    m_sliderPane->setToolTip(tr("Thumbnail size"));
    m_sliderPane->setAccessibleName(tr("Thumbnail size"));
    connect(m_sliderPane, &Ribbon::RibbonSliderPane::valueChanged, this, &MainWindow::resizeThumbs);
    connect(m_sliderPane, &Ribbon::RibbonSliderPane::valueChanged, this,
            [](int v) { writeSetting(Settings::ThumbnailSize, v); });
    m_pageCountLabel = new QLabel(statusBar());
    statusBar()->addPermanentWidget(m_pageCountLabel);
    statusBar()->addPermanentWidget(m_sliderPane);
    statusBar()->showMessage(tr("Ready"));
}

void MainWindow::showPageCount()
{
    const int count = m_pageStore->count();
    m_pageCountLabel->setText(count == 0 ? tr("No pages") : tr("%n pages", nullptr, count));
}

void MainWindow::setSunkenBackground(QFrame *stack)
{
    // The stack draws the sunken, list-coloured background itself, so that no wrapper stands
    // between assistive technology and the pages.
    stack->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    stack->setBackgroundRole(QPalette::Base);
    stack->setAutoFillBackground(true);
}

void MainWindow::buildCentralArea(std::unique_ptr<ScannerLibrary> library)
{
    if (!library)
        library = std::make_unique<SaneScannerLibrary>();
    m_session = new EzPrevScan(std::move(library));
    connectSession();

    m_pageStore = new PageListWidget(this);
    m_pageStore->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pageStore->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pageStore->setPageMenu(m_pageMenu);
    connect(m_pageStore, qOverload<const QString &>(&PageListWidget::pageSelected), this,
            &MainWindow::selectPage);

    m_workAreaStack = new QStackedWidget;
    m_startPanel = new StartPanel;
    connect(m_startPanel, &StartPanel::restoreRequested, this, &MainWindow::restoreSession);
    m_workAreaStack->addWidget(m_startPanel);
    // The scanner preview and the image editor take these places as they are built.
    m_editor = new ImageEditor;
    m_editor->setContextMenu(m_editorMenu);
    connect(m_pageStore, &PageListWidget::currentPageRenamed, m_editor, &ImageEditor::followRename);
    connect(m_pageStore, &ImageListWidget::slabsDropped, this, &MainWindow::dropPages);
    connect(m_pageStore, &ImageListWidget::filesDropped, this, &MainWindow::dropFiles);
    connect(m_pageStore, &ImageListWidget::countChanged, this, &MainWindow::showPageCount);
    showPageCount();
    setAcceptDrops(true);
    m_workAreaStack->addWidget(m_session);
    m_workAreaStack->addWidget(m_editor);
    m_scanAreaView = new ScanAreaView;
    connect(m_scanAreaView, &ScanAreaView::scanRequested, this, &MainWindow::scanPage);
    connect(m_scanAreaView, &ScanAreaView::cancelled, this, &MainWindow::scanCancel);
    m_workAreaStack->addWidget(m_scanAreaView);

    m_pagePanelStack = new QStackedWidget;
    m_pagePanelStack->addWidget(StartPanel::captionLabel(Qt::AlignHCenter | Qt::AlignTop));
    m_pagePanelStack->addWidget(m_pageStore);
    m_pagePanelStack->addWidget(buildCropPanel());

    m_splitter = new QSplitter(Qt::Horizontal);
    QStyle *splitterStyle = QStyleFactory::create(QStringLiteral("Fusion"));
    splitterStyle->setParent(m_splitter);
    m_splitter->setStyle(splitterStyle);
    setSunkenBackground(m_workAreaStack);
    m_splitter->addWidget(m_workAreaStack);
    setSunkenBackground(m_pagePanelStack);
    m_pagePanel = m_pagePanelStack;
    m_splitter->addWidget(m_pagePanel);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setSizes({100, 0});

    auto *central = new WorkspaceWidget;
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_splitter);
    setCentralWidget(central);

    connect(m_workAreaStack, &QStackedWidget::currentChanged, this, &MainWindow::workAreaChanged);
    m_workAreaStack->setCurrentIndex(StartArea);
    m_pagePanelStack->setCurrentIndex(EmptyPanel);

    // The size chosen in an earlier run; the slider snaps an odd stored value to its steps.
    bool stored = false;
    const int size = readSetting(Settings::ThumbnailSize).toInt(&stored);
    if (stored) {
        const QSignalBlocker block(m_sliderPane);
        m_sliderPane->setSliderPosition(size);
        resizeThumbs(m_sliderPane->value());
    }
}

void MainWindow::buildScannerList()
{
    m_colorBox->clear();
    m_qualityBox->clear();
    const QStringList names = m_session->library()->sourceNames();
    if (names.isEmpty()) {
        showNotice(tr("Scanners not found.<br>Please plug a scanner."));
        setActionsEnabled(m_scanActions, false);
    }
    writeSetting(Settings::Scanners, names.join(QStringLiteral("--")));
    showScannerInUse(m_selectScannerButton, m_session->library());

    // Signals stay blocked while filling so the stored choice is not overwritten.
    const QSignalBlocker colorBlock(m_colorBox);
    const QSignalBlocker qualityBlock(m_qualityBox);
    m_colorBox->addItem(tr("Black-White"), 1);
    m_colorBox->addItem(tr("Grayscale"), 2);
    m_colorBox->addItem(tr("Photo Color"), 4);
    m_qualityBox->addItem(tr("Middle"), readSetting(Settings::MiddleQuality).toInt());
    m_qualityBox->addItem(tr("Good"), readSetting(Settings::GoodQuality).toInt());
    m_qualityBox->addItem(tr("High"), readSetting(Settings::HighQuality).toInt());
    m_qualityBox->setCurrentIndex(1);
}

void MainWindow::applyStoredFastSettings()
{
    writeSetting(Settings::JpegQuality, 85);
    m_qualityBox->setCurrentIndex(readSetting(Settings::QualityIndex).toInt());
    int colorIndex = m_colorBox->findData(readSetting(Settings::Grayscale).toInt());
    if (colorIndex < 0) // a stored value that names no mode: fall back to the default mode
        colorIndex = m_colorBox->findData(Settings::Grayscale.defaultValue.toInt());
    m_colorBox->setCurrentIndex(colorIndex);
}

void MainWindow::setActionsEnabled(const QList<QAction *> &actions, bool enabled)
{
    for (QAction *a : actions)
        a->setEnabled(enabled && !m_unavailable.contains(a));
}

void MainWindow::colorChanged(int index)
{
    if (index >= 0)
        writeSetting(Settings::Grayscale, m_colorBox->itemData(index));
}

void MainWindow::qualityChanged(int index)
{
    if (index < 0)
        return;
    writeSetting(Settings::Resolution, m_qualityBox->itemData(index));
    writeSetting(Settings::QualityIndex, index);
}

void MainWindow::createExportDialogs()
{
    m_pdfDialog = new ExportDlg(this);
    connect(m_pdfDialog, &ExportDlg::applied, this, &MainWindow::exported);
    connect(m_pdfDialog, &ExportDlg::failed, this, &MainWindow::exportFailed);
    m_djvuDialog = new ExportDjvuDlg(this);
    connect(m_djvuDialog, &ExportDjvuDlg::applied, this, &MainWindow::exportedDjvu);
    connect(m_djvuDialog, &ExportDjvuDlg::failed, this, &MainWindow::exportedDjvuFailed);
    m_wordDialog = new ExportWordDlg(this);
    connect(m_wordDialog, &ExportWordDlg::applied, this, &MainWindow::exportedWord);
    connect(m_wordDialog, &ExportWordDlg::failed, this, &MainWindow::exportedWordFailed);
    m_imageDialog = new ExportFileDlg(this);
    connect(m_imageDialog, &ExportFileDlg::applied, this, &MainWindow::exportedImages);
    connect(m_imageDialog, &ExportFileDlg::failed, this, &MainWindow::exportImageFailed);
    connect(m_imageDialog, &ExportFileDlg::partlyApplied, this, &MainWindow::exportedImagesPartly);
}

void MainWindow::preparePages(ExportBaseDlg *dialog)
{
    const QStringList pages = m_pageStore->pagePaths();
    dialog->setPages(pages);
    QStringList checked;
    for (int index = 0; index < pages.size(); ++index) {
        if (m_pageStore->isChecked(index))
            checked.append(pages.at(index));
    }
    dialog->setCheckedPages(checked);
}

void MainWindow::buildPdf()
{
    preparePages(m_pdfDialog);
    m_pdfDialog->exec();
}

void MainWindow::buildWord()
{
    preparePages(m_wordDialog);
    m_wordDialog->exec();
}

void MainWindow::buildDjvu()
{
    preparePages(m_djvuDialog);
    m_djvuDialog->exec();
}

void MainWindow::exportFiles()
{
    preparePages(m_imageDialog);
    m_imageDialog->exec();
}

void MainWindow::settings()
{
    OptionsDlg dialog(this, m_session->library()->offersDuplex());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<const SettingKey *> resolutions = {&Settings::MiddleQuality, &Settings::GoodQuality,
                                                   &Settings::HighQuality};
    for (int index = 0; index < resolutions.size(); ++index)
        m_qualityBox->setItemData(index, readSetting(*resolutions[index]).toInt());
    applyStoredFastSettings();
}

void MainWindow::resizeThumbs(int v)
{
    m_pageStore->resizeThumbs(QSize(v, v));
}

void MainWindow::workAreaChanged(int index)
{
    if (index == StartArea) {
        updateStartPanel();
        m_splitter->setSizes({100, 0});
        return;
    }
    // Measured from the whole width, so switching between preview and editor keeps the panel
    // at its preferred width instead of shrinking the work area twice.
    const QList<int> sizes = m_splitter->sizes();
    const int panelWidth = m_pagePanel->sizeHint().width();
    m_splitter->setSizes({sizes[0] + sizes[1] - panelWidth, panelWidth});
}

void MainWindow::bringForward(const QStringList &files)
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (files.isEmpty())
        return;
    // The files were promised to the other start: they wait for a running page command
    // instead of being refused like a second click.
    if (m_pageCommandRunning) {
        QTimer::singleShot(300, this, [this, files] { bringForward(files); });
        return;
    }
    loadFiles(files);
}

void MainWindow::help()
{
    QCoreApplication::processEvents();
    const QString host = readSetting(Settings::AppUrl).toString();
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://%1/help.html").arg(host)));
}

void MainWindow::about()
{
    // One panel for the run, hidden when closed: deleting it on close would leave a pointer
    // to a dying widget until the event loop runs.
    if (!m_aboutPanel) {
        m_aboutPanel = new SplashPanel;
        m_aboutPanel->setParent(this, m_aboutPanel->windowFlags());
    }
    m_aboutPanel->show();
    m_aboutPanel->raise();
    // Focus, so that Escape reaches the panel.
    m_aboutPanel->activateWindow();
    m_aboutPanel->setFocus(Qt::ActiveWindowFocusReason);
}
