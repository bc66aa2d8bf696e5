// Writes the program's icon, drawn as the window icon is, as PNG files for the hicolor icon
// theme: OUTDIR/NxN/apps/NAME.png for each size N given.
//   miravo_render_icons OUTDIR NAME 16 32 48 ...

#include "ui/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <charconv>
#include <cstdio>
#include <string_view>

int main(int argc, char* argv[])
{
    // Drawing needs a GUI application, not a display: the build may run without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: miravo_render_icons OUTDIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const std::string_view text(argv[i]);
        int side = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
        if (error != std::errc() || end != text.data() + text.size() || side < 1 || side > 1024) {
            std::fprintf(stderr, "miravo_render_icons: bad size %s\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(side);
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !DrawAppIcon(side).save(file, "PNG")) {
            std::fprintf(stderr, "miravo_render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
