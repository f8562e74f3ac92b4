#pragma once

#include "core/mainwindow.h"

#include <QDate>
#include <QStatusBar>
#include <QTimer>

#include <array>
#include <functional>

class QLabel;

namespace Orvik {

// sbStatusBar: four panels, addressed by 1-based index. Panel 1 takes the width the others
// leave, never less than 67 pixels at 96 dpi; panel 2 is 136 pixels wide (more only when
// the desktop's font needs it for the text); panel 3 shows today's date in the locale's
// short format and keeps it current by itself; panels 3 and 4 are 68 and 80 pixels wide,
// wider while their text needs it.
class StatusBar : public QStatusBar, public StatusPanels {
    Q_OBJECT

public:
    static constexpr int PanelCount = 4;

    explicit StatusBar(QWidget *parent = nullptr);

    QString panelText(int index) const override;
    void setPanelText(int index, const QString &text) override;
    // The panel's label, for layout checks; nullptr outside 1..4.
    QLabel *panel(int index) const;

    // Where the date comes from; the system's local date unless a test says otherwise.
    void setToday(std::function<QDate()> today);
    // Shows today's date in panel 3 and arms the check for the next change of day.
    void refreshDate();
    // The timer that looks at the date again, armed for just after midnight or sooner.
    const QTimer &dateTimer() const { return m_dateTimer; }

private:
    void fitIntervalPanel();

    std::array<QLabel *, PanelCount + 1> m_panels{};
    std::function<QDate()> m_today;
    QTimer m_dateTimer;
};

} // namespace Orvik
