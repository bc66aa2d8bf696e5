#pragma once
// The program's picture, drawn rather than stored: a small scope screen with a grid
// and two traces. Used for the window icon, the version window and the splash.

#include <QPixmap>
#include <QSize>

QPixmap DrawAppIcon(int side);
QPixmap DrawSplashPicture(QSize size);
