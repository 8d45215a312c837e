#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;

// Offers a newer version: the running and the new version and a link to the download.
// GUI thread only; the caller owns it and runs it modally.
class UpdateDlg : public QDialog
{
    Q_OBJECT
public:
    explicit UpdateDlg(QWidget *parent = nullptr);

    // address: an absolute http or https address; the version and address are shown as
    // plain words whatever characters they hold.
    void setUpdate(const QString &version, const QUrl &address);

    QUrl address() const { return m_address; }

public slots:
    // Opens the address with the desktop's browser, then accepts.
    void download();

private:
    QUrl m_address;
    QLabel *m_newVersion;
};
