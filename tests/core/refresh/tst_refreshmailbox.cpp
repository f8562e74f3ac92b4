#include "core/refresh/refreshmailbox.h"

#include <QtTest>

#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

using namespace Orvik;

namespace {
// While set, every allocation on this thread fails, as it would with the memory used up.
thread_local bool failAllocations = false;

struct NoWork : RefreshTask {
    void run(FileSystem &) override {}
};
} // namespace

void *operator new(std::size_t size) {
    if (failAllocations)
        throw std::bad_alloc();
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

// A worker hands its finished task over with the memory used up: the room was kept when the
// task was given out, so nothing is lost and nothing throws; the drain that could not be asked
// for is asked for by the next delivery.
class tst_RefreshMailbox : public QObject {
    Q_OBJECT

private slots:
    void deliveredWithoutMemory_data() {
        QTest::addColumn<int>("tasks");
        QTest::addColumn<bool>("told"); // a receiver is told of deliveries
        QTest::newRow("one task, nobody told") << 1 << false;
        QTest::newRow("three tasks, the receiver told") << 3 << true;
    }
    void deliveredWithoutMemory() {
        QFETCH(int, tasks);
        QFETCH(bool, told);
        QObject receiver;
        int drains = 0;
        auto mailbox = std::make_shared<RefreshMailbox>();
        if (told) {
            mailbox->receiver = &receiver;
            mailbox->drain = [&drains] { ++drains; };
        }
        std::vector<std::shared_ptr<RefreshTask>> sent;
        for (int i = 0; i < tasks; ++i) {
            sent.push_back(std::make_shared<NoWork>());
            mailbox->expect();
        }
        std::thread worker([&] {
            failAllocations = true;
            for (const std::shared_ptr<RefreshTask> &task : sent)
                mailbox->deliver(task);
            failAllocations = false;
        });
        worker.join();
        QCoreApplication::processEvents();
        QCOMPARE(drains, 0);
        for (const std::shared_ptr<RefreshTask> &task : sent)
            QCOMPARE(mailbox->take(), task);
        QVERIFY(!mailbox->take());

        mailbox->expect();
        mailbox->deliver(sent[0]);
        QCoreApplication::processEvents();
        QCOMPARE(drains, told ? 1 : 0);
        QCOMPARE(mailbox->take(), sent[0]);
    }
};

QTEST_GUILESS_MAIN(tst_RefreshMailbox)
#include "tst_refreshmailbox.moc"
