#pragma once
// File-system side of the settings: reading a file (for reading only),
// saving that replaces a file atomically or, where the folder does not allow
// that, rewrites it in place; deleting, listing the folder, and file names
// carried as the bytes the system uses.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

struct FileResult {
    bool ok = false;
    std::string error; // for the user, when !ok
};

// Reads at most maxBytes of a settings file, opening it for reading only.  A
// file that does not exist is no failure: ok and missing are both set.
// Anything that is not a regular file (a folder, a device) fails.
struct ReadResult : FileResult {
    bool missing = false;
    std::string data;
};
ReadResult readSettingsFile(const std::string& path, std::size_t maxBytes = 16u << 20);

// Saves the text as the whole content of the file.  Never writes a file the
// user may not write or cannot read (its content would be replaced unseen):
// such a file is left as it was and the result says why.  The text goes to
// a temporary file in the same folder, flushed to the disk, with the old
// file's permissions, renamed over the old file.  Where the folder allows no
// new file but the file itself may be written, the file is rewritten in
// place (writeSettingsFileInPlace).  On any failure that can be detected the
// old file is left whole.
FileResult saveSettingsFile(const std::string& path, const std::string& text);

// Rewrites an existing regular file in place: whole content, flushed and
// synced.  Growing comes first, so that a full disk or a size limit is met
// before any old byte is touched; a failed write puts the old content back.
FileResult writeSettingsFileInPlace(const std::string& path, const std::string& text);

// True when the file exists and the user may not write to it.
bool isWriteProtected(const std::string& path);

// True when the user may remove entries from the folder that holds the file.
bool folderAllowsRemoving(const std::string& path);

// Removes a settings file.  A file that is already gone counts as removed.
FileResult deleteSettingsFile(const std::string& path);

// Names (as the system's bytes) of the entries of a folder that are regular
// files, or links to them, named "*.ini" in any letter case; hidden files
// (names starting with '.') are left out, as a file dialog leaves them out.
// Unordered.
std::vector<std::string> listSettingsFiles(const std::string& folder);

// True when both paths name one and the same existing file.
bool isSameFile(const std::string& a, const std::string& b);

// File names are bytes.  For display and editing they become UTF-16: valid
// UTF-8 decodes as usual, and every byte that is not part of a valid UTF-8
// sequence becomes the lone low surrogate U+DC00 + byte, which turns back
// into that byte.  So every name, valid UTF-8 or not, survives the round
// trip exactly.  Other lone surrogates (never made by the decoder) are
// encoded as U+FFFD.
std::u16string nameFromBytes(std::string_view bytes);
std::string bytesFromName(std::u16string_view name);

} // namespace sorvane
