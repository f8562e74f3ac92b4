#include "core/contents.h"

#include <QtTest>

using namespace Orvik;

class tst_Contents : public QObject {
    Q_OBJECT

private slots:
    void appendSharesTheStore();
    void appendToAnOlderSnapshotCopies();
    void largeGrowthKeepsBytes();
    void appendOfItsOwnBytesSurvivesAMove();
};

void tst_Contents::appendSharesTheStore() {
    Contents table = Contents::fromByteArray("abc");
    Contents view = table;
    table.append("def", 3);
    QCOMPARE(table.store(), view.store());
    QCOMPARE(view.toByteArray(), QByteArray("abc"));
    QCOMPARE(table.toByteArray(), QByteArray("abcdef"));
    QVERIFY(table.mid(3).continues(view));
    QVERIFY(!table.mid(2).continues(view));
}

void tst_Contents::appendToAnOlderSnapshotCopies() {
    Contents table = Contents::fromByteArray("abc");
    Contents old = table;
    table.append("def", 3);
    old.append("XY", 2);
    QVERIFY(old.store() != table.store());
    QCOMPARE(old.toByteArray(), QByteArray("abcXY"));
    QCOMPARE(table.toByteArray(), QByteArray("abcdef"));
}

void tst_Contents::largeGrowthKeepsBytes() {
    Contents c;
    QByteArray block(4096, 'x');
    for (int i = 0; i < 1000; ++i) {
        block[0] = char('a' + i % 26);
        c.append(block.constData(), block.size());
    }
    QCOMPARE(c.size(), qint64(4096) * 1000);
    for (int i = 0; i < 1000; ++i)
        QCOMPARE(c.at(qint64(i) * 4096), char('a' + i % 26));
    QCOMPARE(c.mid(4096, 4096).toByteArray().mid(1), block.mid(1));
}

void tst_Contents::appendOfItsOwnBytesSurvivesAMove() {
    // Each append outgrows the store's reservation, which may move it while copying.
    QByteArray block(1 << 20, 'x');
    block[0] = 'a';
    Contents c = Contents::fromByteArray(block);
    for (int i = 0; i < 3; ++i)
        c.append(c);
    QCOMPARE(c.toByteArray(), block.repeated(8));
}

QTEST_GUILESS_MAIN(tst_Contents)
#include "tst_contents.moc"
