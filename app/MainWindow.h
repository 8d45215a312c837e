#pragma once

#include "Commands.h"
#include "RibbonMainWindow.h"
#include "ScannerLibrary.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QSet>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QSplitter;
class QStackedWidget;
class AutoScanWizard;
class DocumentHistory;
class EzPrevScan;
class ExportDjvuDlg;
class ExportBaseDlg;
class ExportDlg;
class ExportFileDlg;
class ExportWordDlg;
class ImageEditor;
class PageListWidget;
struct WriteResult;
class ScanAreaView;
class SplashPanel;
class StartPanel;
class UpdateDlg;
struct SettingKey;

namespace Ribbon {
class OfficePopupWindow;
class RibbonGroup;
class RibbonSliderPane;
class RibbonStyle;
} // namespace Ribbon

// The one top-level window: ribbon with every command, fast scan settings, the work area and
// page panel stacks, the thumbnail-size slider, notices. GUI thread only; lives for the run.
class MainWindow : public Ribbon::RibbonMainWindow
{
    Q_OBJECT
public:
    enum StartOption
    {
        NoSplash = 0,
        ShowSplash = 1
    };
    enum WorkArea
    {
        StartArea = 0,
        ScannerArea = 1,
        EditorArea = 2,
        // The look at the glass before a scan, where the part to scan is chosen.
        GlassArea = 3
    };
    enum PagePanel
    {
        EmptyPanel = 0,
        PageStorePanel = 1,
        CropPanel = 2
    };

    // library: the scanner library to use; null means SANE. The window owns it.
    explicit MainWindow(StartOption option = ShowSplash,
                        std::unique_ptr<ScannerLibrary> library = nullptr,
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    QAction *action(Command id) const;
    const QList<QAction *> &pageActions() const { return m_pageActions; }
    const QList<QAction *> &scanActions() const { return m_scanActions; }
    QMenu *editorMenu() const { return m_editorMenu; }
    QMenu *pageMenu() const { return m_pageMenu; }
    QComboBox *colorBox() const { return m_colorBox; }
    QComboBox *qualityBox() const { return m_qualityBox; }
    QPushButton *selectScannerButton() const { return m_selectScannerButton; }
    Ribbon::RibbonSliderPane *sliderPane() const { return m_sliderPane; }
    QStackedWidget *workAreaStack() const { return m_workAreaStack; }
    QStackedWidget *pagePanelStack() const { return m_pagePanelStack; }
    QSplitter *splitter() const { return m_splitter; }
    QWidget *pagePanel() const { return m_pagePanel; }
    StartPanel *startPanel() const { return m_startPanel; }
    PageListWidget *pageStore() const { return m_pageStore; }
    ImageEditor *editor() const { return m_editor; }
    DocumentHistory *documentHistory() const { return m_documentHistory; }
    EzPrevScan *scannerSession() const { return m_session; }
    ScanAreaView *scanAreaView() const { return m_scanAreaView; }
    AutoScanWizard *autoScanWizard() const { return m_wizard; }
    ExportDlg *pdfDialog() const { return m_pdfDialog; }
    ExportDjvuDlg *djvuDialog() const { return m_djvuDialog; }
    ExportFileDlg *imageDialog() const { return m_imageDialog; }
    ExportWordDlg *wordDialog() const { return m_wordDialog; }
    // The status bar's count of the document's pages.
    QLabel *pageCountLabel() const { return m_pageCountLabel; }

    // Shows a self-closing notice; the popup deletes itself when it closes.
    Ribbon::OfficePopupWindow *showNotice(const QString &message);

    // How long the update check and the first-start report wait for the host to answer.
    void setTransferTimeout(int milliseconds) { m_transferTimeoutMs = milliseconds; }

public slots:
    void settings();
    void selectSource();
    void scanPage();
    void autoScan();
    void startAutoScan();
    void cancelAutoScan();
    void pageFromScanner();
    // A scan run began acquiring page number; the status bar says so.
    void scanStarted(int number, bool feeder);
    void scanCancel();
    void scanFailed();
    void buildPdf();
    void resizeThumbs(int v);
    void workAreaChanged(int index);
    void help();
    void about();
    void colorChanged(int index);
    void qualityChanged(int index);

    void loadFile();
    // Adds the files as pages in order; unreadable ones get a notice and are skipped.
    void loadFiles(const QStringList &files);
    // Files dropped on the window: loaded as loadFiles() does, then put at gap (0 .. count:
    // before that page; -1: after the current page).
    void dropFiles(const QStringList &files, int gap = -1);
    // Pages dragged in the strip, dropped at gap.
    void dropPages(const QList<int> &positions, int gap);
    // Another start asked for this window: brings it to the front and adds files as pages.
    void bringForward(const QStringList &files);
    void restoreSession();
    void selectPage(const QString &path);
    void removePage();
    void removeAll();
    void removeAllButThis();
    void removeAllChecked();
    void removeAllUnchecked();
    void moveUp();
    void moveDown();
    void moveTop();
    void moveBottom();
    // Puts a stack scanned fronts first, then backs, in reading order (asks how).
    void sortTwoSidedStack();
    void rotateLeft();
    void rotateRight();
    void rotateFlip();
    void zoomIn();
    void zoomOut();
    void zoomFit();
    // Crop mode (MainWindowCrop.cpp).
    void crop(bool on);
    void cropAccepted();
    void cropCancelled();
    // Page editing (MainWindowEditing.cpp).
    void contrast();
    void contrastApplied(int brightness, int contrast);
    void undo();
    void redo();

    // The failures: reason, when given, says why (a page that could not be read, a missing
    // tool); without one the output could not be written.
    void exported(const QString &path);
    void exportFailed(const QString &path, const QString &reason = QString());
    void exportedWord(const QString &path);
    void exportedWordFailed(const QString &path, const QString &reason = QString());
    void exportedDjvu(const QString &path);
    void exportedDjvuFailed(const QString &path, const QString &reason = QString());
    void exportedImages(const QString &folder);
    void exportImageFailed(const QString &path, const QString &reason = QString());
    // Some pages of an image export were written, others not.
    void exportedImagesPartly(const QString &folder, int written, int total,
                              const QString &firstFailed);
    void buildDjvu();
    void buildWord();
    void exportFiles();

    // Asks the web host for its update file; does nothing while a check is running.
    // Hides QWidget::update(): repaint this window through a QWidget pointer.
    void update();
    void replyFinished(QNetworkReply *reply);
    // On this user's first start: checks for an update and reports the installation.
    void checkInstall();

protected:
    // Files dropped anywhere else than on the strip or the page view (the start area of an
    // empty window, the ribbon) are loaded as dropFiles() does, after the current page.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildRibbon();
    void buildFastSettings(Ribbon::RibbonGroup *group);
    void buildMenus();
    void connectCommands();
    void connectSession();
    bool prepareScan(int singleScan);
    // After a scan run: back from the preview to the pages (or the start).
    // An Auto Scan of a two-sided stack: where its pages start, and how many fronts the first
    // feeder run brought (-1 before it ends).
    struct TwoSidedPasses
    {
        int start = -1;
        int fronts = -1;
        bool complete = false;
    };
    // Two-sided stack: a finished feeder run is the fronts or the backs.
    void countTwoSidedPass(int added);
    void sortTwoSidedPasses(const TwoSidedPasses &passes);
    // Puts a run of fronts followed by backs in reading order, as the user confirms.
    void sortTwoSidedRun(const QList<int> &run);
    void leaveScannerArea();
    // With "Scan with preview" on the flatbed: a quick scan of the glass to choose the part
    // that Scan Page then scans.
    void showGlass();
    // The part of the glass last chosen for the scanner in use; empty for all of it.
    QRectF rememberedScanArea() const;
    void rememberScanArea(const QRectF &area);
    // Starts the auto scan the wizard asked for while another run was going.
    void startWaitingAutoScan();
    void createExportDialogs();
    // All pages, and the checked ones for "Checked pages only".
    void preparePages(ExportBaseDlg *dialog);
    void buildStatusBar();
    void buildCentralArea(std::unique_ptr<ScannerLibrary> library);
    void setSunkenBackground(QFrame *stack);
    QWidget *buildCropPanel();
    void buildScannerList();
    void applyStoredFastSettings();
    void showSplash();
    void finishSplash();
    void setActionsEnabled(const QList<QAction *> &actions, bool enabled);
    bool confirm(const QString &question);
    // reason: a short word such as "damaged", shown under the file name; may be empty.
    void showLoadFailure(const QString &path, const QString &reason = QString());
    bool addPageToStore(const QImage &image, bool asTiff, const QByteArray &jpeg = QByteArray());
    // Looks at the page just added at index: turns it upright when that is asked for (on its
    // edit history, so Undo takes the turn back) and notes on its tile what wants the user's
    // eye. image: the page as added when at hand (else its file is read); scanned: also
    // judged for being blank. Returns whether it looks blank.
    bool checkNewPage(int index, const QImage &image, bool scanned);
    // After a scan run: leaves out the blank pages it brought when that is asked for, as one
    // removal Undo takes back, and says how many.
    void leaveOutBlankPages();
    void finishBatch(int added);
    void documentEmptied();
    void reportIfFailed(const WriteResult &result);
    void removeMarked(bool checked);
    void removePositions(const QList<int> &positions);
    // Adds the scanned pages that wait, once no other page command runs.
    void takeScannedPages();
    void takeScannedPage(const QImage &scanned);
    // Shows how many pages of the last session wait, on the start area and in a notice.
    void offerWaitingPages();
    // Tells the start area what waits and which kept session a new document would delete;
    // returns the number of waiting pages.
    int updateStartPanel();
    // Turns the current page, or every checked page while "Turn Checked Pages" is on.
    void turnPage(int degrees);
    void turnCheckedPages(int degrees);
    void connectEditing();
    // Undo and Redo are available when the page shown or the page order has something to
    // take back or make again; they take whichever change came last.
    void updateHistoryCommands();
    void stepHistory(bool back);
    void stepDocumentHistory(bool back);
    // The document has pages again: the editor, the strip and the page commands come back.
    void documentFilled();
    void showExportSuccess(const QString &message, const QString &target,
                           const SettingKey &openKey);
    void createNetwork();
    void showPageCount();

    QSplitter *m_splitter = nullptr;
    QComboBox *m_colorBox = nullptr;
    QComboBox *m_qualityBox = nullptr;
    QPushButton *m_selectScannerButton = nullptr;
    PageListWidget *m_pageStore = nullptr;
    QStackedWidget *m_workAreaStack = nullptr;
    QStackedWidget *m_pagePanelStack = nullptr;
    EzPrevScan *m_session = nullptr;
    ScanAreaView *m_scanAreaView = nullptr;
    AutoScanWizard *m_wizard = nullptr;
    ImageEditor *m_editor = nullptr;
    DocumentHistory *m_documentHistory = nullptr;
    ExportDlg *m_pdfDialog = nullptr;
    ExportDjvuDlg *m_djvuDialog = nullptr;
    ExportFileDlg *m_imageDialog = nullptr;
    ExportWordDlg *m_wordDialog = nullptr;
    QHash<Command, QAction *> m_actions;
    // Commands whose work is not in the program yet stay greyed out.
    QSet<QAction *> m_unavailable;
    QList<QAction *> m_pageActions;
    QList<QAction *> m_scanActions;
    QMenu *m_pageMenu = nullptr;
    QMenu *m_editorMenu = nullptr;
    Ribbon::RibbonStyle *m_ribbonStyle = nullptr;
    QWidget *m_pagePanel = nullptr;
    Ribbon::RibbonSliderPane *m_sliderPane = nullptr;
    QLabel *m_pageCountLabel = nullptr;
    SplashPanel *m_splash = nullptr;
    StartPanel *m_startPanel = nullptr;
    // A command that changes the pages is running (see PageCommand).
    bool m_pageCommandRunning = false;
    // The wizard asked for a scan while another run was going.
    bool m_autoScanWaiting = false;
    TwoSidedPasses m_twoSidedPasses;
    // Scanned pages not yet in the document, in the order they came.
    QList<QImage> m_scannedPages;
    // Pages of the scan run going on that look blank, by page id.
    QList<quint64> m_blankOfRun;
    bool m_scannedPagesWaiting = false;
    QPointer<SplashPanel> m_aboutPanel;
    QNetworkAccessManager *m_network = nullptr;
    // The update check in flight, if any.
    QPointer<QNetworkReply> m_updateReply;
    // The offer of a newer version while it is shown.
    QPointer<UpdateDlg> m_updateDialog;
    int m_transferTimeoutMs = 15000;
};
