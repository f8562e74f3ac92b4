#include "fakemainwindow.h"

namespace Orvik {

void FakeUpdateTimer::setEnabled(bool enabled) {
    m_enabled = enabled;
    enabledHistory.push_back(enabled);
}

void FakeUpdateTimer::setInterval(int milliseconds) {
    m_interval = milliseconds;
    intervalHistory.push_back(milliseconds);
}

QString FakeStatusPanels::panelText(int index) const {
    return index >= 1 && index < int(m_texts.size()) ? m_texts[index] : QString();
}

void FakeStatusPanels::setPanelText(int index, const QString &text) {
    if (index < 1 || index >= int(m_texts.size()))
        return;
    m_texts[index] = text;
    ++m_writes[index];
}

int FakeStatusPanels::writes(int index) const {
    return index >= 1 && index < int(m_writes.size()) ? m_writes[index] : 0;
}

void FakeMruMenu::setItem(int index, const QString &caption, bool isVisible) {
    if (index < 1 || index > 10)
        return;
    captions[index] = caption;
    visible[index] = isVisible;
    ++updates;
}

void FakeMruMenu::setSeparatorVisible(bool isVisible) {
    separatorVisible = isVisible;
    if (!isVisible)
        ++separatorHides;
}

DocumentWindow *FakeMainWindow::createDocumentWindow() {
    if (failCreate)
        return nullptr;
    windows.push_back(std::make_unique<FakeDocumentWindow>());
    return windows.back().get();
}

void FakeMainWindow::setBusyPointer(bool isBusy) {
    busy = isBusy;
    busyHistory.push_back(isBusy);
}

void FakeMainWindow::showWarning(const QString &text, const QString &title) {
    warnings.push_back({text, title});
}

} // namespace Orvik
