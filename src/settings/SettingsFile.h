#pragma once
// File-system side of the settings: the probe that creates a missing file,
// whole-file reading, and saving that replaces a file atomically.
#include <cstdint>
#include <string>

namespace sorvane {

struct FileResult {
    bool ok = false;
    std::string error; // for the user, when !ok
};

// Makes sure the file exists (creating it empty when missing, never changing
// an existing one).  isEmpty tells whether it holds no bytes.  Anything that
// is not a regular file (a folder, a device) fails.
struct ProbeResult : FileResult {
    bool isEmpty = false;
};
ProbeResult probeSettingsFile(const std::string& path);

// Reads at most maxBytes of a regular file.
struct ReadResult : FileResult {
    std::string data;
};
ReadResult readSettingsFile(const std::string& path, std::size_t maxBytes = 16u << 20);

// Writes the text to a temporary file in the same folder, flushes it to the
// disk, gives it the old file's permissions and renames it over the old
// file.  On any failure the old file is left as it was.
FileResult saveSettingsFile(const std::string& path, const std::string& text);

// Removes a settings file.  A file that is already gone counts as removed.
FileResult deleteSettingsFile(const std::string& path);

} // namespace sorvane
