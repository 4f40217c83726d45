#include "platform/qtscheduler.h"

#include <QTimer>
#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

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

QtScheduler::QtScheduler() : m_wecker(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_wecker >= 0) {
        m_melder = std::make_unique<QSocketNotifier>(m_wecker, QSocketNotifier::Read);
        QObject::connect(m_melder.get(), &QSocketNotifier::activated, m_melder.get(),
                         [this] { abarbeiten(); });
    }
}

QtScheduler::~QtScheduler()
{
    m_melder.reset();
    if (m_wecker >= 0) {
        ::close(m_wecker);
    }
}

std::unique_ptr<Zeitgeber> QtScheduler::timer(const std::string& name, int interval_ms)
{
    return std::make_unique<QtZeitgeber>(name, interval_ms);
}

void QtScheduler::einreihen(std::function<void()> aufgabe)
{
    std::lock_guard sperre(m_mutex);
    m_reihe.push_back(std::move(aufgabe));
    if (m_geweckt) {
        return;
    }
    m_geweckt = true;
    if (m_wecker < 0) {
        // Without a counter (no descriptor left at start) through Qt's queue.
        QMetaObject::invokeMethod(
            &m_kontext, [this] { abarbeiten(); }, Qt::QueuedConnection);
        return;
    }
    const std::uint64_t eins = 1;
    while (::write(m_wecker, &eins, sizeof eins) < 0 && errno == EINTR) {
    }
}

void QtScheduler::abarbeiten()
{
    std::deque<std::function<void()>> reihe;
    {
        std::lock_guard sperre(m_mutex);
        std::uint64_t zaehler = 0;
        while (m_wecker >= 0 && ::read(m_wecker, &zaehler, sizeof zaehler) < 0 && errno == EINTR) {
        }
        reihe.swap(m_reihe);
        m_geweckt = false;
    }
    // Work queued by this work runs at the next turn of the event loop.
    for (auto& aufgabe : reihe) {
        aufgabe();
    }
}

} // namespace hestrel
