#include "platform/qtscheduler.h"

#include <QTimer>

namespace hestrel {
namespace {

class QtZeitgeber : public Zeitgeber {
  public:
    QtZeitgeber(const std::string& name, int interval)
    {
        m_timer.setObjectName(QString::fromStdString(name));
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(std::max(0, interval));
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (tick) {
                auto handler = tick;
                handler();
            }
        });
    }
    void start() override
    {
        if (!m_timer.isActive()) {
            m_timer.start();
        }
    }
    void stop() override { m_timer.stop(); }
    bool aktiv() const override { return m_timer.isActive(); }
    void setInterval(int ms) override
    {
        const bool lief = m_timer.isActive();
        m_timer.setInterval(std::max(0, ms));
        if (lief) {
            m_timer.start(); // count the new interval from now
        }
    }
    int interval() const override { return m_timer.interval(); }

  private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<Zeitgeber> QtScheduler::timer(const std::string& name, int interval_ms)
{
    return std::make_unique<QtZeitgeber>(name, interval_ms);
}

void QtScheduler::einreihen(std::function<void()> aufgabe)
{
    QMetaObject::invokeMethod(&m_kontext, std::move(aufgabe), Qt::QueuedConnection);
}

} // namespace hestrel
