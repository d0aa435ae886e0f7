#pragma once
// File names travel as the system's bytes; in the window they are texts in
// which a byte that is not valid UTF-8 stands as a lone surrogate, so that
// it turns back into the same byte.
#include "settings/SettingsFile.h"

#include <QString>
#include <string>

namespace sorvane::ui {

inline QString nameText(const std::string& bytes) {
    return QString::fromStdU16String(nameFromBytes(bytes));
}

inline std::string nameBytes(const QString& name) {
    return bytesFromName(name.toStdU16String());
}

// A name as the user is shown it: bytes that are not UTF-8 show as
// replacement characters.
inline QString shownBytes(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline QString shownName(const QString& name) {
    return shownBytes(nameBytes(name));
}

} // namespace sorvane::ui
