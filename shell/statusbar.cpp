#include "statusbar.h"

#include "document/twips.h"

#include <QLabel>
#include <QLocale>
#include <QTime>

namespace Orvik {

namespace {
constexpr double SpringMinimumTwips = 1000;
constexpr double SpringCreatedTwips = 2605;
constexpr double IntervalPanelTwips = 2040;
constexpr double DatePanelTwips = 1020;
constexpr double TimePanelTwips = 1200;
// The date is looked at again at least this often, so that a clock set forward or a
// machine that slept still shows the right day soon.
constexpr int LongestDateCheckMs = 60 * 1000;

// A panel that asks for its width at creation, or more while its text needs it. When the
// window is too narrow for every panel it gives way, down to the width of its text.
class FittingPanel : public QLabel {
public:
    FittingPanel(int createdWidth, QWidget *parent)
        : QLabel(parent)
        , m_createdWidth(createdWidth) {
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    }
    QSize sizeHint() const override {
        const QSize text = QLabel::sizeHint();
        return QSize(qMax(text.width(), m_createdWidth), text.height());
    }

private:
    int m_createdWidth;
};

QLabel *makePanel(QLabel *label, const QString &text) {
    label->setText(text);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent)
    , m_today([] { return QDate::currentDate(); }) {
    setObjectName(QStringLiteral("sbStatusBar"));

    m_panels[1] = makePanel(new QLabel(this), QStringLiteral("Status"));
    m_panels[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_panels[1]->setMinimumWidth(twipsToPixelsX(SpringMinimumTwips, this));
    m_panels[1]->resize(twipsToPixelsX(SpringCreatedTwips, this), m_panels[1]->height());

    m_panels[2] = makePanel(new QLabel(this), QStringLiteral("Refresh Interval:"));
    fitIntervalPanel();

    m_panels[3] = makePanel(new FittingPanel(twipsToPixelsX(DatePanelTwips, this), this), {});
    m_panels[4] = makePanel(new FittingPanel(twipsToPixelsX(TimePanelTwips, this), this), {});

    // Permanent widgets are never covered by the bar's temporary messages.
    addPermanentWidget(m_panels[1], 1);
    for (int i = 2; i <= PanelCount; ++i)
        addPermanentWidget(m_panels[i]);

    m_dateTimer.setSingleShot(true);
    connect(&m_dateTimer, &QTimer::timeout, this, &StatusBar::refreshDate);
    refreshDate();
}

QString StatusBar::panelText(int index) const {
    const QLabel *label = panel(index);
    return label ? label->text() : QString();
}

void StatusBar::setPanelText(int index, const QString &text) {
    QLabel *label = panel(index);
    if (!label)
        return;
    label->setText(text);
    if (index == 2)
        fitIntervalPanel();
}

void StatusBar::fitIntervalPanel() {
    // 136 pixels at 96 dpi, wider only when the desktop's font would cut the text off.
    const int width = twipsToPixelsX(IntervalPanelTwips, this);
    m_panels[2]->setFixedWidth(qMax(width, m_panels[2]->sizeHint().width()));
}

QLabel *StatusBar::panel(int index) const {
    return index >= 1 && index <= PanelCount ? m_panels[index] : nullptr;
}

void StatusBar::setToday(std::function<QDate()> today) {
    m_today = std::move(today);
    refreshDate();
}

void StatusBar::refreshDate() {
    const QString text = QLocale().toString(m_today(), QLocale::ShortFormat);
    if (m_panels[3]->text() != text)
        m_panels[3]->setText(text);
    // Wake just after the next midnight, or sooner.
    const QTime now = QTime::currentTime();
    const int toMidnight = now.isValid() ? now.msecsTo(QTime(23, 59, 59, 999)) + 2 : 0;
    m_dateTimer.start(qBound(1000, toMidnight, LongestDateCheckMs));
}

} // namespace Orvik
