#pragma once
// Whether a desktop panel is there to show a status indicator through the
// StatusNotifierItem protocol, and when one turns up.
#include <QObject>

#include <memory>

namespace sorvane::ui {

class TrayHostWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts looking.  The first answer comes from the event loop, never
    // from inside this call: hostFound() once a host is registered (at
    // once if one is now), or noHostYet() if there is none at the start.
    virtual void start() = 0;

signals:
    void hostFound();
    void noHostYet();
};

// The session bus's StatusNotifierWatcher where Qt talks D-Bus; elsewhere a
// watch that never finds a host.
std::unique_ptr<TrayHostWatch> createTrayHostWatch();

} // namespace sorvane::ui
