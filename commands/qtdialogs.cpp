#include "qtdialogs.h"

#include "frmcommand.h"
#include "frmrules.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace Orvik {

namespace {

// Shows the arrow pointer over a modal dialog while a command holds the busy pointer.
class ArrowPointer {
public:
    ArrowPointer()
        : m_pushed(QApplication::overrideCursor() != nullptr) {
        if (m_pushed)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowPointer() {
        if (m_pushed)
            QApplication::restoreOverrideCursor();
    }
    ArrowPointer(const ArrowPointer &) = delete;
    ArrowPointer &operator=(const ArrowPointer &) = delete;

private:
    bool m_pushed;
};

QStringList patternsOf(const QString &filter) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {filter};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// "*.*" only matches names with a dot here, yet most logs (syslog, messages) have none: the
// all-files choice keeps its caption but lists every file.
void letDotStarMatchEveryFile(QFileDialog &dialog) {
    auto *model = dialog.findChild<QFileSystemModel *>();
    if (!model)
        return;
    auto apply = [model](const QString &filter) {
        if (patternsOf(filter) == QStringList{QStringLiteral("*.*")})
            model->setNameFilters({QStringLiteral("*")});
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, model, apply);
    apply(dialog.selectedNameFilter());
}

QString chosenFile(QFileDialog &dialog) {
    letDotStarMatchEveryFile(dialog);
    ArrowPointer arrow;
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

QtDialogs::QtDialogs(QWidget *owner)
    : m_owner(owner) {}

QString QtDialogs::inputBox(const QString &prompt, const QString &title,
                            const QString &defaultText) {
    ArrowPointer arrow;
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

void QtDialogs::messageBox(const QString &text, const QString &title, Icon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        boxIcon = QMessageBox::Warning;
        break;
    case Icon::Critical:
        boxIcon = QMessageBox::Critical;
        break;
    }
    ArrowPointer arrow;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}

QString QtDialogs::openFileName(const QString &title, const QStringList &filters,
                                const QString &selectedFilter) {
    QFileDialog dialog(m_owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(selectedFilter);
    return chosenFile(dialog);
}

QString QtDialogs::saveFileName(const QString &title, const QStringList &filters) {
    QFileDialog dialog(m_owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilters(filters);
    return chosenFile(dialog);
}

bool QtDialogs::printDialog(QPrinter &printer, const QString &title, bool offerSelection) {
    printer.setPrintRange(offerSelection ? QPrinter::Selection : QPrinter::AllPages);
    QPrintDialog dialog(&printer, m_owner);
    dialog.setWindowTitle(title);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    ArrowPointer arrow;
    return dialog.exec() == QDialog::Accepted;
}

std::optional<FontChoice> QtDialogs::chooseFont() {
    ArrowPointer arrow;
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, QFont(), m_owner);
    if (!ok)
        return std::nullopt;
    FontChoice choice;
    choice.name = font.family();
    choice.size = font.pointSizeF();
    choice.bold = font.bold();
    choice.italic = font.italic();
    choice.underline = font.underline();
    return choice;
}

std::optional<std::vector<HighlightRule>>
QtDialogs::editRules(const std::vector<HighlightRule> &rules) {
    ArrowPointer arrow;
    frmRules dialog(m_owner);
    dialog.setRules(rules);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.rules();
}

QString QtDialogs::commandLine(const QStringList &recent) {
    ArrowPointer arrow;
    frmCommand dialog(recent, m_owner);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.commandLine();
}

} // namespace Orvik
