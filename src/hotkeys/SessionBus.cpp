#include "hotkeys/SessionBus.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {

namespace {

constexpr const char* kAddressVariable = "DBUS_SESSION_BUS_ADDRESS";
// No transport libdbus knows: connecting fails at once.
constexpr const char* kNoBus = "disabled:";

} // namespace

std::string dbusAddressEscaped(const std::string& path) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
            c == '_' || c == '/' || c == '.' || c == '\\' || c == '*') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

void useOnlyARunningSessionBus() {
    std::string kept;
    if (const char* given = std::getenv(kAddressVariable)) {
        const std::string address = given;
        std::size_t start = 0;
        while (start <= address.size()) {
            std::size_t end = address.find(';', start);
            if (end == std::string::npos)
                end = address.size();
            const std::string entry = address.substr(start, end - start);
            if (!entry.empty() && entry.rfind("autolaunch:", 0) != 0)
                kept += (kept.empty() ? "" : ";") + entry;
            start = end + 1;
        }
    }
    if (kept.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        struct stat st {};
        if (runtime != nullptr && *runtime == '/') {
            const std::string socket = std::string(runtime) + "/bus";
            if (::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid())
                kept = "unix:path=" + dbusAddressEscaped(socket);
        }
    }
    ::setenv(kAddressVariable, kept.empty() ? kNoBus : kept.c_str(), 1);
}

bool sessionBusRunning() {
    const char* address = std::getenv(kAddressVariable);
    return address == nullptr || std::strcmp(address, kNoBus) != 0;
}

} // namespace sorvane
