#pragma once

#include <QObject>

class QSocketNotifier;

namespace frostel::app {

// SIGTERM (a session ending, `kill`), SIGINT and SIGHUP as a Qt signal, so the main window
// can close as the user would close it and write its settings. Requests are caught from
// construction but held until listen(): one that comes during start-up waits for it.
class TerminationRequests final : public QObject {
    Q_OBJECT

  public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;

    void listen();

  signals:
    void requested();

  private:
    void take_pending();

    QSocketNotifier* notifier_;
};

}  // namespace frostel::app
