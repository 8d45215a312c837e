#pragma once

#include <QtWidgets>

// Answers every box that opens while it lives, noting each; an unanswered box blocks the test.
class MessageBoxAnswerer
{
public:
    struct Box
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::No)
        : m_answer(answer)
    {
        // Looks again and again: a box opens inside the code under test, in its own loop.
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { answerOpenBoxes(); });
        m_timer.start();
    }

    const QList<Box> &boxes() const { return m_boxes; }
    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }

    // How many boxes with icon appeared.
    qsizetype count(QMessageBox::Icon icon) const
    {
        qsizetype found = 0;
        for (const Box &box : m_boxes)
            found += box.icon == icon ? 1 : 0;
        return found;
    }

private:
    void answerOpenBoxes()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box == nullptr || !box->isVisible())
                continue;
            m_boxes.append({box->windowTitle(), box->text(), box->icon()});
            QAbstractButton *button = box->button(m_answer);
            if (button == nullptr && box->buttons().size() == 1)
                button = box->buttons().constFirst();
            if (button != nullptr)
                button->click();
            else
                box->reject();
        }
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
    QList<Box> m_boxes;
};
