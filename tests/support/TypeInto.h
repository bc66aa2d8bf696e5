#pragma once
// Types over the text of a box as a user does: a click into it (into the line edit of an
// editable combo box), Ctrl+A, then the keys.

#include <QApplication>
#include <QLineEdit>
#include <QTest>

inline void typeInto(QWidget* box, const QString& text)
{
    QLineEdit* edit = box->findChild<QLineEdit*>();
    QTest::mouseClick(edit ? edit : box, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}
