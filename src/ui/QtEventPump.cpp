#include "ui/QtEventPump.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace sorvane::ui {

QtEventPump::QtEventPump() {
    m_timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_timerFd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [fd = m_timerFd] {
            uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t n = read(fd, &expirations, sizeof expirations);
        });
    }
}

QtEventPump::~QtEventPump() {
    m_notifier.reset();
    if (m_timerFd >= 0)
        close(m_timerFd);
}

void QtEventPump::yield(uint32_t maxWaitMs) {
    if (maxWaitMs == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (m_timerFd < 0) {
        // No timerfd: a Qt timer ends the wait instead.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(maxWaitMs));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return;
    }
    // The runner counts whole milliseconds of the same clock: the wait ends
    // when the millisecond counter has moved on by maxWaitMs.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t deadlineMs =
        static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000 + static_cast<int64_t>(maxWaitMs);
    itimerspec at{};
    at.it_value.tv_sec = static_cast<time_t>(deadlineMs / 1000);
    at.it_value.tv_nsec = static_cast<long>(deadlineMs % 1000) * 1'000'000;
    timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME, &at, nullptr);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const itimerspec off{};
    timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME, &off, nullptr);
}

} // namespace sorvane::ui
