#pragma once

#include <QObject>

class QSocketNotifier;

namespace Orvik {

// SIGTERM, SIGHUP and SIGINT, as a desktop session, a closed terminal or Ctrl+C send them,
// delivered as a Qt signal on the user-interface thread, so that the program shuts down as
// if its window were closed and the settings are written. Only one object may exist at a
// time; it puts the default handling back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    static void handle(int signalNumber);
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Orvik
