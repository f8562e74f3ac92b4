#include "commands/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Orvik;

// The real dialogs, answered by a step that runs once the modal dialog is up.
class tst_QtDialogs : public QObject {
    Q_OBJECT

    QWidget m_owner;
    QtDialogs m_dialogs{&m_owner};

    template <typename Dialog> void whenShown(std::function<void(Dialog *)> step) {
        QTimer::singleShot(0, this, [step] {
            auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            step(dialog);
        });
    }

private slots:
    void boxesShowTheirTextsAndGiveTheAnswer() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        whenShown<QInputDialog>([](QInputDialog *box) {
            QCOMPARE(box->labelText() + '|' + box->windowTitle() + '|' + box->textValue(),
                     "Prompt|Title|default");
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor); // over a busy one
            box->setTextValue(QStringLiteral("typed"));
            box->accept();
        });
        QCOMPARE(m_dialogs.inputBox("Prompt", "Title", "default"), QStringLiteral("typed"));
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
        whenShown<QInputDialog>([](QInputDialog *box) {
            box->setTextValue(QStringLiteral("typed"));
            box->reject();
        });
        QCOMPARE(m_dialogs.inputBox("Prompt", "Title", QString()), QString());
        whenShown<QMessageBox>([](QMessageBox *box) {
            QCOMPARE(box->text() + '|' + box->windowTitle(), "Text|Too many files opened");
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->buttons().size(), 1);
            box->accept();
        });
        m_dialogs.messageBox("Text", "Too many files opened", Dialogs::Icon::Warning);
        whenShown<QFontDialog>([](QFontDialog *dialog) { dialog->reject(); });
        QVERIFY(!m_dialogs.chooseFont());
    }

    void fileChoosers() {
        QTemporaryDir dir;
        QFile syslog(dir.filePath("syslog"));
        QVERIFY(syslog.open(QIODevice::WriteOnly));
        const QStringList filters{"Log Files (*.log)", "Text Files (*.txt)", "All Files (*.*)"};
        whenShown<QFileDialog>([&](QFileDialog *dialog) {
            QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("All Files (*.*)"));
            // Files without a dot in their name are listed too.
            QCOMPARE(dialog->findChild<QFileSystemModel *>()->nameFilters(), QStringList{"*"});
            dialog->setDirectory(dir.path());
            dialog->selectFile(dir.filePath("syslog"));
            static_cast<QDialog *>(dialog)->accept();
        });
        QCOMPARE(m_dialogs.openFileName("Open", filters, "All Files (*.*)"), dir.filePath("syslog"));
        whenShown<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(m_dialogs.openFileName("Open", filters, "All Files (*.*)"), QString());
        bool asksBeforeReplacing = false;
        whenShown<QFileDialog>([&](QFileDialog *dialog) {
            asksBeforeReplacing = !dialog->testOption(QFileDialog::DontConfirmOverwrite) &&
                                  dialog->acceptMode() == QFileDialog::AcceptSave;
            dialog->reject();
        });
        QCOMPARE(m_dialogs.saveFileName("Save As", {"All Files (*.*)"}), QString());
        QVERIFY(asksBeforeReplacing);
    }

    void printDialogOffersAndPreselectsTheSelection() {
        for (const bool offer : {true, false}) {
            QPrinter printer;
            QString seen;
            whenShown<QPrintDialog>([&](QPrintDialog *dialog) {
                seen = QStringLiteral("selection %1, pages %2, range %3")
                           .arg(dialog->testOption(QAbstractPrintDialog::PrintSelection))
                           .arg(dialog->testOption(QAbstractPrintDialog::PrintPageRange))
                           .arg(dialog->printer()->printRange());
                dialog->reject();
            });
            QVERIFY(!m_dialogs.printDialog(printer, "Print", offer));
            QCOMPARE(seen, QStringLiteral("selection %1, pages 0, range %2")
                               .arg(offer)
                               .arg(offer ? QPrinter::Selection : QPrinter::AllPages));
        }
    }
};

QTEST_MAIN(tst_QtDialogs)
#include "tst_qtdialogs.moc"
