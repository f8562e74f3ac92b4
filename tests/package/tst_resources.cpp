// The compiled-in pictures: present under their documented paths,
// valid SVG, drawn inside their canvas and sharp at twice the size.
#include "resources/resources.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

namespace {

// Counts the pixels that are not fully transparent.
int paintedPixels(const QImage &image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) != 0;
    return count;
}

QImage render(const QString &path, int size) {
    QSvgRenderer renderer(path);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

const char *const toolbarKeys[] = {"Open",           "Save",    "Print",   "Copy",
                                   "Font",           "Refresh", "Cascade", "Tile Horizontally",
                                   "Tile Vertically"};

} // namespace

class tst_resources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Orvik::initResources(); }

    void iconIsValidSvg_data();
    void iconIsValidSvg();
    void iconIsSharpAtDoubleScale_data() { iconIsValidSvg_data(); }
    void iconIsSharpAtDoubleScale();
    void straightEdgesFallOnWholePixels_data();
    void straightEdgesFallOnWholePixels();
    void toolbarPathsFollowTheButtonKeys();
    void initialisingTwiceIsHarmless();
};

void tst_resources::iconIsValidSvg_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("designSize");
    QTest::newRow("application icon") << QString(Orvik::appIconPath) << 32;
    QTest::newRow("document icon") << QString(Orvik::documentIconPath) << 16;
    for (const char *key : toolbarKeys)
        QTest::newRow(qPrintable(QStringLiteral("toolbar ") + key))
            << Orvik::toolbarIconPath(QString::fromLatin1(key)) << 16;
}

void tst_resources::iconIsValidSvg() {
    QFETCH(QString, path);
    QFETCH(int, designSize);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QSvgRenderer renderer(path);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.defaultSize(), QSize(designSize, designSize));
    const QImage small = render(path, 16);
    QVERIFY2(paintedPixels(small) > 16, "the picture is (nearly) empty at 16 pixels");
}

void tst_resources::iconIsSharpAtDoubleScale() {
    QFETCH(QString, path);
    const QIcon icon(path);
    QVERIFY(!icon.isNull());
    // At 200% scaling the icon engine must draw a 32-pixel picture, not blow up a 16-pixel one.
    const QPixmap pixmap = icon.pixmap(QSize(16, 16), 2.0);
    QCOMPARE(pixmap.size(), QSize(32, 32));
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    QImage drawn = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    drawn.setDevicePixelRatio(1.0);
    QCOMPARE(drawn, render(path, 32).convertToFormat(QImage::Format_ARGB32));
}

void tst_resources::straightEdgesFallOnWholePixels_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    const char *const rectilinear[] = {"Print", "Copy", "Cascade", "Tile Horizontally",
                                       "Tile Vertically"};
    for (const char *key : rectilinear) {
        for (int size : {16, 32, 48}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(key).arg(size)))
                << Orvik::toolbarIconPath(QString::fromLatin1(key)) << size;
        }
    }
}

// Pictures made only of horizontal and vertical lines are drawn on the pixel grid, so at 1x,
// 2x and 3x of their design size no pixel is a blurred mix of line and background.
void tst_resources::straightEdgesFallOnWholePixels() {
    QFETCH(QString, path);
    QFETCH(int, size);
    const QImage image = render(path, size).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha != 0 && alpha != 255)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is partly transparent: %3")
                                     .arg(x)
                                     .arg(y)
                                     .arg(alpha)));
        }
    }
}

void tst_resources::toolbarPathsFollowTheButtonKeys() {
    QCOMPARE(Orvik::toolbarIconPath("Tile Horizontally"),
             QString(":/icons/toolbar/Tile Horizontally.svg"));
    QVERIFY(!QFile::exists(Orvik::toolbarIconPath("NoSuchKey")));
}

void tst_resources::initialisingTwiceIsHarmless() {
    Orvik::initResources();
    QVERIFY(QFile::exists(Orvik::appIconPath));
}

QTEST_MAIN(tst_resources)
#include "tst_resources.moc"
