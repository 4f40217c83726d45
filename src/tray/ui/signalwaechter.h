#pragma once

#include <functional>

#include <QObject>

class QSocketNotifier;

namespace hestrel {

// Turns SIGTERM and SIGINT into a call on the event loop: the handler only
// writes a byte into a pipe, the loop reads it and runs `beenden`.
class Signalwaechter : public QObject {
    Q_OBJECT
  public:
    explicit Signalwaechter(std::function<void()> beenden, QObject* parent = nullptr);
    ~Signalwaechter() override;

  private:
    void signal_angekommen();

    std::function<void()> m_beenden;
    QSocketNotifier* m_melder = nullptr;
};

} // namespace hestrel
