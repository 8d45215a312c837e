#pragma once

#include "MainWindow.h"
#include "RibbonStyle.h"
#include "ScannerLibrary.h"

#include <QtWidgets>

#include <memory>

// A library that only names its scanners; the source dialog picks the last one.
class NamedScanners : public ScannerLibrary
{
public:
    explicit NamedScanners(QStringList names) : m_names(std::move(names)) {}
    QStringList sourceNames() override { return m_names; }
    bool selectSource(QWidget *) override
    {
        m_chosen = m_names.value(m_names.size() - 1);
        return true;
    }
    QString currentSourceName() override
    {
        return m_chosen.isEmpty() ? ScannerLibrary::currentSourceName() : m_chosen;
    }

private:
    QStringList m_names;
    QString m_chosen;
};

// One scanner by default, so that no "not found" notice mixes with those a test looks at.
inline std::unique_ptr<MainWindow> makeWindow(const QStringList &scanners = {
                                                  QStringLiteral("Test scanner")})
{
    return std::make_unique<MainWindow>(MainWindow::NoSplash,
                                        std::make_unique<NamedScanners>(scanners));
}

// Settings and work folders of the test's own, in the ribbon style the program uses.
inline void setUpWindowTests()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setStyle(new Ribbon::RibbonStyle);
}

// A first start: no settings, no pages of an earlier test waiting or kept aside.
inline void startAfresh()
{
    QSettings().clear();
    const QString work = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(work + QStringLiteral("/Current")).removeRecursively();
    QDir(work + QStringLiteral("/Earlier Sessions")).removeRecursively();
}
