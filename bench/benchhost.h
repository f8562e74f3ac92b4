#pragma once

#include "core/documentwindow.h"
#include "core/mainwindow.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace Orvik {

// A field of /proc/self/status in kilobytes (VmRSS, VmHWM), or -1.
inline qint64 statusKilobytes(const char *field) {
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    qint64 value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::atoll(line + length + 1);
            break;
        }
    }
    std::fclose(f);
    return value;
}

// A document window around a view of type View; a widget view takes the window's place.
template <typename View> class BenchWindow : public DocumentWindow {
public:
    DocumentView &rtfText() override { return view; }
    void setCaption(const QString &caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    void setTag(const QString &tag) override { m_tag = tag; }
    QString tag() const override { return m_tag; }
    bool moveTo(const QRect &pixels) override {
        if constexpr (std::is_base_of_v<QWidget, View>)
            view.setGeometry(pixels);
        return true;
    }
    void activate() override {}
    View view;

private:
    QString m_caption;
    QString m_tag;
};

// A main window that only keeps what the core writes to it: panel texts and the windows.
template <typename View> class BenchHost : public MainWindow, UpdateTimer, StatusPanels, MruMenu {
public:
    UpdateTimer &timerUpdate() override { return *this; }
    StatusPanels &sbStatusBar() override { return *this; }
    MruMenu &mruMenu() override { return *this; }
    DocumentWindow *createDocumentWindow() override {
        windows.push_back(std::make_unique<BenchWindow<View>>());
        if constexpr (std::is_base_of_v<QWidget, View>)
            windows.back()->view.show();
        return windows.back().get();
    }
    QSize outerSizePixels() const override { return {1024, 768}; }
    void setBusyPointer(bool) override {}
    void showWarning(const QString &, const QString &) override {}

    void setEnabled(bool) override {}
    bool isEnabled() const override { return true; }
    void setInterval(int) override {}
    int interval() const override { return 1000; }
    QString panelText(int index) const override { return m_panels[index & 7]; }
    void setPanelText(int index, const QString &text) override { m_panels[index & 7] = text; }
    void setItem(int, const QString &, bool) override {}
    void setSeparatorVisible(bool) override {}

    std::vector<std::unique_ptr<BenchWindow<View>>> windows;

private:
    QString m_panels[8];
};

// The baseline of an append cycle: what any follower has to do after an append. It reads the
// whole file into a reused buffer with pread and compares its beginning with a copy of what it
// held, then extends that copy.
class WholeFileBaseline {
public:
    void reserve(size_t bytes) {
        m_buffer.reserve(bytes);
        m_held.reserve(bytes);
    }
    void run(const QByteArray &path) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        ::fstat(fd, &st);
        m_buffer.resize(size_t(st.st_size));
        qint64 done = 0;
        while (done < st.st_size) {
            const ssize_t n = ::pread(fd, m_buffer.data() + done, size_t(st.st_size - done), done);
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fd);
        volatile bool same = std::memcmp(m_buffer.data(), m_held.data(), m_held.size()) == 0;
        (void)same;
        const size_t kept = m_held.size();
        m_held.resize(m_buffer.size());
        std::memcpy(m_held.data() + kept, m_buffer.data() + kept, m_buffer.size() - kept);
    }

private:
    std::vector<char> m_buffer;
    std::vector<char> m_held;
};

// One megabyte of log lines, some of them with "error" in one case or another.
inline const std::string &logBlock() {
    static const std::string block = [] {
        std::string text;
        const char *levels[] = {"INFO ", "DEBUG", "WARN ", "INFO ", "INFO "};
        const char *errors[] = {"ERROR", "error", "Error"};
        for (int line = 0; text.size() < 1024 * 1024; ++line) {
            char buffer[160];
            const bool isError = line % 37 == 0;
            std::snprintf(buffer, sizeof buffer,
                          "2026-12-06 21:%02d:%02d.%03d [%s] worker-%d: request %d %s in %d ms\n",
                          line / 60 % 60, line % 60, line % 1000,
                          isError ? errors[line % 3] : levels[line % 5], line % 8, line,
                          isError ? "failed with error 500" : "handled", line % 97);
            text += buffer;
        }
        text.resize(1024 * 1024);
        return text;
    }();
    return block;
}

} // namespace Orvik
