#pragma once
// Rendered beeps kept on disk, so that a MIDI beep is made once and not at
// every start: loading the sound font and rendering cost far more than
// reading the samples back.  Each entry is one file named after a hash of
// its key; the key itself (what the beep was made from) is stored in the
// file and compared in full when it is read, so an entry made from anything
// else is never taken.  The cache is only ever a help: a folder that cannot
// be made or written, or an entry that is damaged, just means rendering
// again.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorvane {

class BeepCache {
public:
    // folder: where the entries live; empty for no cache at all.
    explicit BeepCache(std::string folder) : m_folder(std::move(folder)) {}

    // The samples stored under the key, if a whole entry for exactly that key
    // is there.
    std::optional<std::vector<int16_t>> load(const std::string& key) const;
    // Stores the samples under the key (replacing an older entry at once, as
    // a whole: a reader never sees half an entry), then lets go of the
    // oldest entries beyond kMostEntries.  Failures are silent.
    void store(const std::string& key, const std::vector<int16_t>& samples) const;

    // The entry's file (empty without a folder).
    std::string pathOf(const std::string& key) const;
    const std::string& folder() const { return m_folder; }

    // A longer entry than this is not read.
    static constexpr std::size_t kMostSamples = 48000 * 20;
    // Entries kept: one per beep file and sound font in use, and a few more.
    static constexpr std::size_t kMostEntries = 8;

    // The program's cache folder by the XDG rule: $XDG_CACHE_HOME if it is
    // an absolute path, else $HOME/.cache, then /sorvane-timer; empty when
    // neither is set.
    static std::string folderFor(const char* xdgCacheHome, const char* home);

private:
    void prune() const;

    std::string m_folder;
};

// A 64-bit FNV-1a hash of the bytes, for keys and entry names.
uint64_t hash64(const std::string& bytes, uint64_t seed = 0xcbf29ce484222325ULL);

} // namespace sorvane
