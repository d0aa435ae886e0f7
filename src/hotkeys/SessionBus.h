#pragma once
// Which session bus the program talks to.  Without an address libdbus would
// start a bus of its own ("autolaunch", through the X display), and that bus
// and the services it starts would outlive the program; so the address is
// settled before Qt or anything else touches the bus.
#include <string>

namespace sorvane {

// Sets DBUS_SESSION_BUS_ADDRESS to a bus that is running: the address given
// (less any autolaunch entry), else the user's bus socket in the runtime
// folder, else an address that connects to nothing.  Call it before the
// first connection to the bus.
void useOnlyARunningSessionBus();

// False when useOnlyARunningSessionBus found no bus to use.
bool sessionBusRunning();

// A path as a D-Bus address writes it: the bytes outside a small safe set
// as %XX.
std::string dbusAddressEscaped(const std::string& path);

} // namespace sorvane
