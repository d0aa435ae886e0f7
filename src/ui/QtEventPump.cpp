#include "ui/QtEventPump.h"

#include <QCoreApplication>

namespace sorvane::ui {

QtEventPump::QtEventPump() {
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
}

void QtEventPump::yield(uint32_t maxWaitMs) {
    if (maxWaitMs == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    m_wake.start(static_cast<int>(maxWaitMs));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_wake.stop();
}

} // namespace sorvane::ui
