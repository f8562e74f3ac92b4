#include "document/filedrop.h"
#include "support/filewriter.h"
#include "testhost.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace Orvik;

namespace {

std::unique_ptr<QMimeData> fileList(const QStringList &paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

} // namespace

class tst_FileDrop : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dragOverTakesOnlyCopyableFileLists_data();
    void dragOverTakesOnlyCopyableFileLists();
    void droppedFilesOpenInTheirOrder();
    void twelveFilesWithTwoOpenOpenEight();
    void anOpenFileIsActivatedNotOpenedAgain();
    void withTenOpenADropDoesNothing();
    void textDropOpensNothing();
    void dropOnAViewOpensAndLeavesItsText();
    void moveOnlyDropOnAViewIsRefused();

private:
    QString writeFile(const QString &name, const QByteArray &bytes = "text\n") {
        return m_files->write(name, bytes);
    }
    QStringList writeFiles(int count, const QString &prefix);

    std::unique_ptr<FileWriter> m_files;
    std::unique_ptr<TestHost> m_host;
};

void tst_FileDrop::init() {
    m_files = std::make_unique<FileWriter>();
    m_host = std::make_unique<TestHost>();
    m_host->show();
}

void tst_FileDrop::cleanup() {
    m_host.reset();
}

QStringList tst_FileDrop::writeFiles(int count, const QString &prefix) {
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << writeFile(QStringLiteral("%1%2.log").arg(prefix).arg(i, 2, 10, QChar('0')));
    return paths;
}

void tst_FileDrop::dragOverTakesOnlyCopyableFileLists_data() {
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("allowed");
    QTest::addColumn<int>("offered");

    const QStringList files{"file:///var/log/syslog", "file:///tmp/a%20b.log"};
    const int copy = Qt::CopyAction;
    const int ignore = Qt::IgnoreAction;
    QTest::newRow("files, copy allowed") << files << "" << copy << copy;
    QTest::newRow("files, copy or move allowed")
        << files << "" << int(Qt::CopyAction | Qt::MoveAction) << copy;
    QTest::newRow("files, move only") << files << "" << int(Qt::MoveAction) << ignore;
    QTest::newRow("files, link only") << files << "" << int(Qt::LinkAction) << ignore;
    QTest::newRow("selected text") << QStringList() << "some text" << copy << ignore;
    QTest::newRow("a web address")
        << QStringList{"https://example.org/x.log"} << "" << copy << ignore;
    QTest::newRow("a web address among files")
        << QStringList{"https://example.org/x.log", "file:///tmp/y.log"} << "" << copy << copy;
    QTest::newRow("nothing") << QStringList() << "" << copy << ignore;
}

void tst_FileDrop::dragOverTakesOnlyCopyableFileLists() {
    QFETCH(QStringList, urls);
    QFETCH(QString, text);
    QFETCH(int, allowed);
    QFETCH(int, offered);
    QMimeData data;
    QList<QUrl> list;
    for (const QString &url : urls)
        list.append(QUrl(url));
    if (!list.isEmpty())
        data.setUrls(list);
    if (!text.isEmpty())
        data.setText(text);
    QCOMPARE(int(DragOverFiles(&data, Qt::DropActions(allowed))), offered);
    QCOMPARE(int(DragOverFiles(nullptr, Qt::CopyAction)), int(Qt::IgnoreAction));
}

void tst_FileDrop::droppedFilesOpenInTheirOrder() {
    const QStringList paths = {writeFile("c.log"), writeFile("a.log"), writeFile("b b.log")};
    DropFiles(m_host->module(), fileList(paths).get());
    Module1 &module = m_host->module();
    QCOMPARE(module.DocCount, 3);
    for (int slot = 1; slot <= 3; ++slot)
        QCOMPARE(module.DocFileName[slot], paths.at(slot - 1));
}

void tst_FileDrop::twelveFilesWithTwoOpenOpenEight() {
    Module1 &module = m_host->module();
    module.OpenDocument(writeFile("open1.log"));
    module.OpenDocument(writeFile("open2.log"));
    const QStringList dropped = writeFiles(12, "drop");
    DropFiles(module, fileList(dropped).get());
    QCOMPARE(module.DocCount, 10);
    for (int slot = 3; slot <= 10; ++slot)
        QCOMPARE(module.DocFileName[slot], dropped.at(slot - 3));
    QVERIFY(m_host->warnings.empty());
}

void tst_FileDrop::anOpenFileIsActivatedNotOpenedAgain() {
    Module1 &module = m_host->module();
    const QString first = writeFile("first.log");
    module.OpenDocument(first);
    module.OpenDocument(writeFile("second.log"));
    QCOMPARE(m_host->activeDocument(), m_host->document(2));
    DropFiles(module, fileList({first}).get());
    QCOMPARE(module.DocCount, 2);
    QCOMPARE(m_host->activeDocument(), m_host->document(1));
}

void tst_FileDrop::withTenOpenADropDoesNothing() {
    Module1 &module = m_host->module();
    const QStringList open = writeFiles(10, "open");
    for (const QString &path : open)
        module.OpenDocument(path);
    const frmDocument *active = m_host->activeDocument();
    DropFiles(module, fileList({open.first(), writeFile("more.log")}).get());
    QCOMPARE(module.DocCount, 10);
    QCOMPARE(m_host->activeDocument(), active);
    QVERIFY(m_host->warnings.empty());
}

void tst_FileDrop::textDropOpensNothing() {
    QMimeData data;
    data.setText(writeFile("named.log"));
    DropFiles(m_host->module(), &data);
    QCOMPARE(m_host->module().DocCount, 0);
}

void tst_FileDrop::dropOnAViewOpensAndLeavesItsText() {
    Module1 &module = m_host->module();
    module.OpenDocument(writeFile("shown.log", "the view's own text\n"));
    RichTextView &view = m_host->document(1)->rtfText();
    const QString text = view.plainText();
    const QString dropped = writeFile("dropped.log", "dropped\n");
    const auto data = fileList({dropped});
    const QPointF inside(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0);

    QDragEnterEvent enter(inside.toPoint(), Qt::CopyAction | Qt::MoveAction, data.get(),
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(inside, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);

    QCOMPARE(module.DocCount, 2);
    QCOMPARE(module.DocFileName[2], dropped);
    QCOMPARE(view.plainText(), text);
}

void tst_FileDrop::moveOnlyDropOnAViewIsRefused() {
    Module1 &module = m_host->module();
    module.OpenDocument(writeFile("shown.log"));
    RichTextView &view = m_host->document(1)->rtfText();
    const auto data = fileList({writeFile("dropped.log")});
    const QPoint inside(view.viewport()->width() / 2, view.viewport()->height() / 2);

    QDragEnterEvent enter(inside, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(inside, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    QCOMPARE(module.DocCount, 1);
}

QTEST_MAIN(tst_FileDrop)
#include "tst_filedrop.moc"
