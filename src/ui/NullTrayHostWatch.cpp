// Without D-Bus no StatusNotifierItem host can be found: the indicator
// relies on the older tray of the X11 window system alone.
#include "ui/TrayHostWatch.h"

#include <QMetaObject>

namespace sorvane::ui {

namespace {

class NullTrayHostWatch final : public TrayHostWatch {
public:
    void start() override {
        QMetaObject::invokeMethod(this, &TrayHostWatch::noHostYet, Qt::QueuedConnection);
    }
};

} // namespace

std::unique_ptr<TrayHostWatch> createTrayHostWatch() {
    return std::make_unique<NullTrayHostWatch>();
}

} // namespace sorvane::ui
