#pragma once
// The text a widget shows, as the window system hands it to a screen reader: a label that
// takes its text as markup reads "<b>x</b>" as "x" and an image as U+FFFC.

#include <QAccessible>
#include <QWidget>

inline QString shownText(QWidget* widget)
{
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(widget);
    return shown ? shown->text(QAccessible::Name) : QString();
}
