#pragma once

#include "support/fakeclock.h"
#include "support/fakemainwindow.h"
#include "support/faultyfilesystem.h"
#include "support/filewriter.h"

#include "core/module1.h"
#include "document/frmdocument.h"

#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QtTest>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Orvik {

// The real document windows and views (frmDocument, RichTextView) inside an MDI area, driven
// by a Module1 over the real file system (with injectable faults) and a clock that moves only
// when told. The refresh cycle is called directly; nothing waits on a timer.
class ViewHarness : public MainWindow {
public:
    ViewHarness() {
        module.MainForm = this;
        area.resize(1000, 700);
        area.show();
    }
    ~ViewHarness() override {
        // The windows go first: their views share the table's bytes.
        for (QMdiSubWindow *window : area.subWindowList())
            delete window;
    }

    UpdateTimer &timerUpdate() override { return timer; }
    StatusPanels &sbStatusBar() override { return panels; }
    MruMenu &mruMenu() override { return menu; }
    DocumentWindow *createDocumentWindow() override {
        auto *window = new frmDocument(module);
        area.addSubWindow(window);
        window->show();
        return window;
    }
    QSize outerSizePixels() const override { return area.size(); }
    void setBusyPointer(bool) override {}
    void showWarning(const QString &text, const QString &) override { warnings << text; }

    frmDocument *window(int slot) const {
        return static_cast<frmDocument *>(module.DocWindow[slot]);
    }
    RichTextView &view(int slot) const { return window(slot)->rtfText(); }

    QString open(const QString &name) {
        const QString path = files.path(name);
        module.OpenDocument(path);
        return path;
    }
    // One refresh cycle over every document, then what a paint would do with the result.
    void cycle() {
        clock.advance(1);
        module.RefreshDocuments(0);
        for (int slot = 1; slot <= module.DocCount; ++slot) {
            view(slot).updateGeometryNow();
            view(slot).topOffset();
        }
    }
    // Paints every window, so layout and painting meet the bytes the views hold.
    void paint() {
        for (int slot = 1; slot <= module.DocCount; ++slot)
            (void)window(slot)->grab();
    }

    // The bytes of a file as they are on disk now.
    static QByteArray fileBytes(const QString &path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.readAll();
    }

    // Compares a view with its file, first by length, then in blocks, naming the first
    // differing offset; works for files too large to hold twice.
    static bool viewEqualsFile(const RichTextView &view, const QString &path, QString *why) {
        const Contents shown = view.text();
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            *why = QStringLiteral("cannot open ") + path;
            return false;
        }
        const off_t size = ::lseek(fd, 0, SEEK_END);
        if (size != off_t(shown.size())) {
            ::close(fd);
            *why = QStringLiteral("view has %1 bytes, file %2").arg(shown.size()).arg(size);
            return false;
        }
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (qint64 at = 0; at < shown.size();) {
            const ssize_t n = ::pread(fd, block.data(), size_t(block.size()), off_t(at));
            if (n <= 0)
                break;
            if (std::memcmp(block.constData(), shown.data() + at, size_t(n)) != 0) {
                qint64 i = 0;
                while (block.at(i) == shown.at(at + i))
                    ++i;
                ::close(fd);
                *why = QStringLiteral("first difference at byte %1").arg(at + i);
                return false;
            }
            at += n;
        }
        ::close(fd);
        return true;
    }

    FaultyFileSystem fs;
    FakeClock clock;
    FileWriter files;
    FakeUpdateTimer timer;
    FakeStatusPanels panels;
    FakeMruMenu menu;
    QStringList warnings;
    Module1 module{fs, clock};
    QMdiArea area;
};

} // namespace Orvik

// Fails the test unless the view of `slot` holds exactly the bytes of its file.
#define VERIFY_VIEW_EQUALS_FILE(harness, slot)                                                     \
    do {                                                                                           \
        QString why_;                                                                              \
        QVERIFY2(ViewHarness::viewEqualsFile((harness).view(slot),                                 \
                                             (harness).module.DocFileName[slot], &why_),           \
                 qPrintable(QStringLiteral("slot %1: ").arg(slot) + why_));                        \
    } while (false)
