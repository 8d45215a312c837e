#pragma once

#include "ImageEditor.h"
#include "ImageLoading.h"
#include "PhotoGraphicsView.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

// A shown image editor and a temporary folder, made afresh by setUpEditor() in every init().
class EditorFixture
{
protected:
    QTemporaryDir *m_dir = nullptr;
    ImageEditor *m_editor = nullptr;

    static void setUpTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        raiseImageAllocationLimit();
    }

    void setUpEditor()
    {
        QSettings().clear();
        m_dir = new QTemporaryDir;
        m_editor = new ImageEditor;
        showSized(QSize(1000, 800));
    }

    void tearDownEditor()
    {
        delete m_editor;
        delete m_dir;
    }

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
};
