#pragma once

#include "ImageEditor.h"
#include "ImageLoading.h"
#include "PhotoGraphicsView.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

// A shown image editor and a temporary folder, made afresh for every test function.
class EditorFixture : public QObject
{
    Q_OBJECT

protected:
    QTemporaryDir *m_dir = nullptr;
    ImageEditor *m_editor = nullptr;

    void showSized(const QSize &editorSize)
    {
        m_editor->resize(editorSize);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor));
        QCOMPARE(m_editor->view()->size(), editorSize);
    }

    QString write(const QByteArray &bytes, const QString &name)
    {
        const QString path = m_dir->filePath(name);
        if (!writeFile(path, bytes))
            qWarning() << "can't write" << path;
        return path;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        raiseImageAllocationLimit();
    }

    void init()
    {
        QSettings().clear();
        m_dir = new QTemporaryDir;
        m_editor = new ImageEditor;
        showSized(QSize(1000, 800));
    }

    void cleanup()
    {
        delete m_editor;
        delete m_dir;
    }
};
