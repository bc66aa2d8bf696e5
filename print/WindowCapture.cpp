#include "print/WindowCapture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

constexpr double kMetresPerInch = 0.0254;

// Platforms whose screen can be read back from an ordinary application.
bool screenReadable()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows");
}

QPixmap grabFromScreen(QWidget* form)
{
    if (!form->isVisible() || form->isMinimized() || !screenReadable())
        return {};
    QScreen* screen = form->screen();
    if (!screen)
        return {};
    const QRect frame = form->frameGeometry();
    const QRect onScreen = screen->geometry();
    // Parts of the frame off the screen would come back black or from another screen.
    if (!onScreen.contains(frame))
        return {};
    const QPoint local = frame.topLeft() - onScreen.topLeft();
    QPixmap shot = screen->grabWindow(0, local.x(), local.y(), frame.width(), frame.height());
    const QSize expected = frame.size() * shot.devicePixelRatio();
    if (shot.isNull() || shot.size() != expected)
        return {};
    return shot;
}

void setResolution(QImage& image, const QWidget* form, double devicePixelRatio)
{
    const auto dotsPerMetre = [&](int logicalDpi) {
        return static_cast<int>(std::lround(logicalDpi * devicePixelRatio / kMetresPerInch));
    };
    image.setDotsPerMeterX(dotsPerMetre(form->logicalDpiX()));
    image.setDotsPerMeterY(dotsPerMetre(form->logicalDpiY()));
}

} // namespace

QImage GrabWholeForm(QWidget* form)
{
    QPixmap shot = grabFromScreen(form);
    if (shot.isNull())
        shot = form->grab();
    if (shot.isNull())
        return {};
    QImage image = shot.toImage();
    setResolution(image, form, shot.devicePixelRatio());
    return image;
}
