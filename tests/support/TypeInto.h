#pragma once
// Types over the text of a box as a user does: a click into it (into the line edit of an
// editable combo box), Ctrl+A, then the keys.

#include <QLineEdit>
#include <QTest>

inline void typeInto(QWidget* box, const QString& text)
{
    QLineEdit* edit = box->findChild<QLineEdit*>();
    QWidget* target = edit ? edit : box;
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(target, text);
}
