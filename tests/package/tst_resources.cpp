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
QImage render(const QString &path, int size) {
    QSvgRenderer renderer(path);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}
} // namespace

class tst_resources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        Orvik::initResources();
        Orvik::initResources(); // twice is harmless
    }

    void iconIsValidAndSharpAtDoubleScale_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("designSize");
        QTest::newRow("application icon") << QString(Orvik::appIconPath) << 32;
        QTest::newRow("document icon") << QString(Orvik::documentIconPath) << 16;
        for (const char *key : {"Open", "Save", "Print", "Copy", "Font", "Refresh", "Cascade",
                                "Tile Horizontally", "Tile Vertically"})
            QTest::newRow(key) << Orvik::toolbarIconPath(QString::fromLatin1(key)) << 16;
    }
    void iconIsValidAndSharpAtDoubleScale() {
        QFETCH(QString, path);
        QFETCH(int, designSize);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QSvgRenderer renderer(path);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.defaultSize(), QSize(designSize, designSize));
        const QImage small = render(path, 16);
        int painted = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                painted += qAlpha(small.pixel(x, y)) != 0;
        QVERIFY2(painted > 16, "the picture is (nearly) empty at 16 pixels");
        // At 200% scaling the icon engine must draw a 32-pixel picture, not blow up a 16-pixel one.
        const QPixmap pixmap = QIcon(path).pixmap(QSize(16, 16), 2.0);
        QCOMPARE(pixmap.size(), QSize(32, 32));
        QImage drawn = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        drawn.setDevicePixelRatio(1.0);
        QCOMPARE(drawn, render(path, 32));
        QVERIFY(!QFile::exists(Orvik::toolbarIconPath("NoSuchKey")));
    }
};

QTEST_MAIN(tst_resources)
#include "tst_resources.moc"
