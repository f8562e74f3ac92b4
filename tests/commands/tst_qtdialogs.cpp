#include "commands/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
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

private slots:
    void inputBoxGivesTheTextOrEmptyOnCancel();
    void messageBoxShowsTextTitleAndIcon();
    void openChooserStartsOnAllFilesAndListsFilesWithoutDot();
    void saveChooserAsksBeforeReplacing();
    void fontChooserCancelledGivesNothing();
    void printDialogOffersTheSelection_data();
    void printDialogOffersTheSelection();
    void dialogsShowTheArrowOverABusyPointer();

private:
    template <typename Dialog> void whenShown(std::function<void(Dialog *)> step) {
        QTimer::singleShot(0, this, [step] {
            auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            step(dialog);
        });
    }

    QWidget m_owner;
    QtDialogs m_dialogs{&m_owner};
};

void tst_QtDialogs::inputBoxGivesTheTextOrEmptyOnCancel() {
    whenShown<QInputDialog>([](QInputDialog *box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
        QCOMPARE(box->labelText(), QStringLiteral("Prompt"));
        QCOMPARE(box->textValue(), QStringLiteral("default"));
        box->setTextValue(QStringLiteral("typed"));
        box->accept();
    });
    QCOMPARE(m_dialogs.inputBox("Prompt", "Title", "default"), QStringLiteral("typed"));

    whenShown<QInputDialog>([](QInputDialog *box) {
        box->setTextValue(QStringLiteral("typed"));
        box->reject();
    });
    QCOMPARE(m_dialogs.inputBox("Prompt", "Title", QString()), QString());
}

void tst_QtDialogs::messageBoxShowsTextTitleAndIcon() {
    whenShown<QMessageBox>([](QMessageBox *box) {
        QCOMPARE(box->text(), QStringLiteral("Text"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Too many files opened"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->buttons().size(), 1);
        box->accept();
    });
    m_dialogs.messageBox("Text", "Too many files opened", Dialogs::Icon::Warning);
}

void tst_QtDialogs::openChooserStartsOnAllFilesAndListsFilesWithoutDot() {
    QTemporaryDir dir;
    QFile syslog(dir.filePath("syslog"));
    QVERIFY(syslog.open(QIODevice::WriteOnly));
    syslog.close();
    const QStringList filters{"Log Files (*.log)", "Text Files (*.txt)", "All Files (*.*)"};
    QStringList shown;
    QString selected;
    QStringList modelFilters;
    whenShown<QFileDialog>([&](QFileDialog *dialog) {
        shown = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        modelFilters = dialog->findChild<QFileSystemModel *>()->nameFilters();
        dialog->setDirectory(dir.path());
        dialog->selectFile(dir.filePath("syslog"));
        static_cast<QDialog *>(dialog)->accept();
    });
    const QString path = m_dialogs.openFileName("Open", filters, "All Files (*.*)");
    QCOMPARE(shown, filters);
    QCOMPARE(selected, QStringLiteral("All Files (*.*)"));
    QCOMPARE(modelFilters, QStringList{"*"});
    QCOMPARE(path, dir.filePath("syslog"));

    whenShown<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    QCOMPARE(m_dialogs.openFileName("Open", filters, "All Files (*.*)"), QString());
}

void tst_QtDialogs::saveChooserAsksBeforeReplacing() {
    bool confirms = false;
    QString title;
    whenShown<QFileDialog>([&](QFileDialog *dialog) {
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        title = dialog->windowTitle();
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->reject();
    });
    QCOMPARE(m_dialogs.saveFileName("Save As", {"All Files (*.*)"}), QString());
    QVERIFY(confirms);
    QCOMPARE(title, QStringLiteral("Save As"));
}

void tst_QtDialogs::fontChooserCancelledGivesNothing() {
    whenShown<QFontDialog>([](QFontDialog *dialog) { dialog->reject(); });
    QVERIFY(!m_dialogs.chooseFont());
}

void tst_QtDialogs::printDialogOffersTheSelection_data() {
    QTest::addColumn<bool>("offer");
    QTest::newRow("with a selection") << true;
    QTest::newRow("without a selection") << false;
}

void tst_QtDialogs::printDialogOffersTheSelection() {
    QFETCH(bool, offer);
    QPrinter printer;
    bool selectionOption = !offer;
    bool pageRangeOption = true;
    QPrinter::PrintRange range = QPrinter::PageRange;
    QString title;
    whenShown<QPrintDialog>([&](QPrintDialog *dialog) {
        selectionOption = dialog->testOption(QAbstractPrintDialog::PrintSelection);
        pageRangeOption = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
        range = dialog->printer()->printRange();
        title = dialog->windowTitle();
        dialog->reject();
    });
    QVERIFY(!m_dialogs.printDialog(printer, "Print", offer));
    QCOMPARE(selectionOption, offer);
    QVERIFY(!pageRangeOption);
    QCOMPARE(range, offer ? QPrinter::Selection : QPrinter::AllPages);
    QCOMPARE(title, QStringLiteral("Print"));
}

void tst_QtDialogs::dialogsShowTheArrowOverABusyPointer() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Qt::CursorShape whileOpen = Qt::WaitCursor;
    whenShown<QInputDialog>([&](QInputDialog *box) {
        whileOpen = QApplication::overrideCursor()->shape();
        box->reject();
    });
    m_dialogs.inputBox("Prompt", "Title", QString());
    QCOMPARE(whileOpen, Qt::ArrowCursor);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
}

QTEST_MAIN(tst_QtDialogs)
#include "tst_qtdialogs.moc"
