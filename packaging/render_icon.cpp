// Build-time tool: renders the application's SVG icon into the PNG sizes of the hicolor icon
// theme, so that desktops without SVG support still get a sharp launcher icon.
//
//   orvik_render_icon <icon.svg> <theme root> <name> <size>...
//
// writes <theme root>/<size>x<size>/apps/<name>.png for every size and exits non-zero when the
// SVG cannot be read or a PNG cannot be written.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[]) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <icon.svg> <theme root> <name> <size>...\n", argv[0]);
        return 2;
    }
    // Raster painting of paths needs no QGuiApplication, so the tool runs on build hosts
    // without a display or platform plugins. The icon holds no text that would need fonts.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read the icon %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (int i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "not an icon size: %s\n", qPrintable(args.at(i)));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();

        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        const QString file = dir + QLatin1Char('/') + args.at(3) + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
