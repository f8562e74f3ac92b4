#pragma once

#include <QObject>

class QSocketNotifier;

namespace Orvik {

// SIGTERM, SIGHUP and SIGINT, as a desktop session, a closed terminal or Ctrl+C send them,
// delivered as a Qt signal on the user-interface thread, so that the program shuts down as
// if its window were closed and the settings are written. The program's one object owns the
// pipe from the handler; while it exists a second one handles nothing. It puts the default
// handling back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    static void handle(int signalNumber);
    void readSignals();

    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Orvik
