#pragma once

#include <QMainWindow>

class QLabel;
class QProgressIndicator;

// A small window without title bar, centred on the screen, showing a turning wheel beside a
// short bold message while the main window runs a long step on the GUI thread. Close requests
// are refused so the user cannot dismiss it mid-step; the caller hides and destroys it.
// GUI thread only; the caller owns it (it also deletes itself if ever closed).
class WaitingDlg : public QMainWindow
{
    Q_OBJECT
public:
    explicit WaitingDlg(QWidget *parent = nullptr);
    ~WaitingDlg() override;

    // Shows the window with the text and lets it paint once, then returns to the caller.
    void showMessage(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_message;
    bool m_mayClose = false;
    QProgressIndicator *m_indicator;
};
