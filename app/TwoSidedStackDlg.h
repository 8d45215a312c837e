#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QLabel;
class QRadioButton;

// A stack of two-sided sheets scanned on a one-sided feeder comes in as all the fronts, then
// all the backs; put in reading order, the back of each sheet follows its front. Turning the
// stack over for the second pass brings the backs last sheet first.
//
// For each place of the run in reading order, the index of the page in the run as scanned
// (fronts 0 .. sheets - 1, then the backs).
QList<int> twoSidedOrder(int sheets, bool backsReversed);

// Asks how the backs were scanned, showing the order each answer gives, and whether every
// back is to be turned upside down (some feeders bring them so). GUI thread only.
class TwoSidedStackDlg : public QDialog
{
    Q_OBJECT

public:
    // firstPage: the number of the first page of the run, for the order shown.
    TwoSidedStackDlg(int sheets, int firstPage, QWidget *parent = nullptr);

    bool backsReversed() const;
    bool turnBacks() const;
    // The order shown for the present answer.
    QString orderText() const;

private:
    void showOrder();

    int m_sheets;
    int m_firstPage;
    QRadioButton *m_reversed;
    QRadioButton *m_same;
    QCheckBox *m_turnBacks;
    QLabel *m_order;
};
