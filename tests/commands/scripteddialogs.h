#pragma once

#include "commands/dialogs.h"

#include <QPrinter>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace Orvik {

// Dialogs that answer from scripts and record every question. An exhausted script answers
// as a cancelled dialog does.
class ScriptedDialogs : public Dialogs {
public:
    struct Call {
        QString kind; // "input", "message", "open", "save", "print", "font"
        QString title;
        QString text; // prompt or message text
        QString defaultText;
        QStringList filters;
        QString selectedFilter;
        Icon icon = Icon::None;
        bool offerSelection = false;
    };
    struct PrintReply {
        bool accept = true;
        QString pdfPath;
        // The range the user leaves chosen; by default what the dialog preselects.
        std::optional<QPrinter::PrintRange> range;
    };

    std::deque<QString> inputReplies;
    std::deque<QString> openReplies;
    std::deque<QString> saveReplies;
    std::deque<std::optional<FontChoice>> fontReplies;
    std::deque<PrintReply> printReplies;
    std::vector<Call> calls;
    // Runs while a dialog is "open", to look at the program's state meanwhile.
    std::function<void(const QString &kind)> whileOpen;

    int count(const QString &kind) const {
        int n = 0;
        for (const Call &call : calls)
            n += call.kind == kind;
        return n;
    }
    const Call &last() const { return calls.back(); }

    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override {
        Call call{"input", title, prompt, defaultText};
        calls.push_back(call);
        opened("input");
        return take(inputReplies, QString());
    }
    void messageBox(const QString &text, const QString &title, Icon icon) override {
        Call call{"message", title, text};
        call.icon = icon;
        calls.push_back(call);
        opened("message");
    }
    QString openFileName(const QString &title, const QStringList &filters,
                         const QString &selectedFilter) override {
        Call call{"open", title};
        call.filters = filters;
        call.selectedFilter = selectedFilter;
        calls.push_back(call);
        opened("open");
        return take(openReplies, QString());
    }
    QString saveFileName(const QString &title, const QStringList &filters) override {
        Call call{"save", title};
        call.filters = filters;
        calls.push_back(call);
        opened("save");
        return take(saveReplies, QString());
    }
    bool printDialog(QPrinter &printer, const QString &title, bool offerSelection) override {
        Call call{"print", title};
        call.offerSelection = offerSelection;
        calls.push_back(call);
        opened("print");
        const PrintReply reply = take(printReplies, PrintReply{false, {}, {}});
        if (!reply.accept)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(reply.pdfPath);
        printer.setPrintRange(
            reply.range.value_or(offerSelection ? QPrinter::Selection : QPrinter::AllPages));
        return true;
    }
    std::optional<FontChoice> chooseFont() override {
        calls.push_back(Call{"font"});
        opened("font");
        return take(fontReplies, std::optional<FontChoice>());
    }

private:
    template <typename T> static T take(std::deque<T> &replies, T cancelled) {
        if (replies.empty())
            return cancelled;
        T reply = replies.front();
        replies.pop_front();
        return reply;
    }
    void opened(const QString &kind) {
        if (whileOpen)
            whileOpen(kind);
    }
};

} // namespace Orvik
