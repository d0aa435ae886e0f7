#include "engine/BeepCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

namespace sorvane {

namespace {

constexpr char kMagic[] = "SORVANE-BEEP 1\n";
constexpr char kPrefix[] = "beep-";
constexpr char kSuffix[] = ".pcm";

// Reads at most limit bytes of the file; false when it cannot be read or is
// longer.
bool readAll(const std::string& path, std::size_t limit, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bytes.clear();
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit) {
            ok = false;
            break;
        }
    }
    close(fd);
    return ok;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the folder and any missing parents, private to the user as the
// XDG rule asks of the cache folder.
bool makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isEntryName(const std::string& name) {
    const std::size_t prefix = sizeof kPrefix - 1;
    const std::size_t suffix = sizeof kSuffix - 1;
    return name.size() > prefix + suffix && name.compare(0, prefix, kPrefix) == 0 &&
           name.compare(name.size() - suffix, suffix, kSuffix) == 0;
}

// "<decimal>\n" at pos; advances pos past it.
bool readNumber(const std::string& bytes, std::size_t& pos, std::size_t& value) {
    value = 0;
    const std::size_t start = pos;
    while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9' && pos - start < 12)
        value = value * 10 + static_cast<std::size_t>(bytes[pos++] - '0');
    if (pos == start || pos >= bytes.size() || bytes[pos] != '\n')
        return false;
    ++pos;
    return true;
}

} // namespace

uint64_t hash64(const std::string& bytes, uint64_t seed) {
    uint64_t hash = seed;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string BeepCache::folderFor(const char* xdgCacheHome, const char* home) {
    // The XDG rule: a relative $XDG_CACHE_HOME is invalid and ignored.
    if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/')
        return std::string(xdgCacheHome) + "/sorvane-timer";
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.cache/sorvane-timer";
    return {};
}

std::string BeepCache::pathOf(const std::string& key) const {
    if (m_folder.empty())
        return {};
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash64(key)));
    return m_folder + "/" + kPrefix + name + kSuffix;
}

std::optional<std::vector<int16_t>> BeepCache::load(const std::string& key) const {
    const std::string path = pathOf(key);
    std::string bytes;
    const std::size_t limit = sizeof kMagic + 24 + key.size() + 24 + kMostSamples * 2;
    if (path.empty() || !readAll(path, limit, bytes))
        return std::nullopt;
    std::size_t pos = sizeof kMagic - 1;
    if (bytes.compare(0, pos, kMagic) != 0)
        return std::nullopt;
    std::size_t keyLength = 0;
    if (!readNumber(bytes, pos, keyLength) || keyLength != key.size() || bytes.size() - pos < keyLength + 1 ||
        bytes.compare(pos, keyLength, key) != 0 || bytes[pos + keyLength] != '\n')
        return std::nullopt;
    pos += keyLength + 1;
    std::size_t count = 0;
    if (!readNumber(bytes, pos, count) || count == 0 || count > kMostSamples ||
        bytes.size() - pos != count * 2)
        return std::nullopt;
    std::vector<int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto low = static_cast<unsigned char>(bytes[pos + 2 * i]);
        const auto high = static_cast<unsigned char>(bytes[pos + 2 * i + 1]);
        samples[i] = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
    }
    // Used now: the entry is the last to go when the cache is pruned.
    utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
    return samples;
}

void BeepCache::store(const std::string& key, const std::vector<int16_t>& samples) const {
    if (m_folder.empty() || samples.empty() || samples.size() > kMostSamples || !makeFolders(m_folder))
        return;
    std::string bytes = kMagic;
    bytes += std::to_string(key.size()) + '\n' + key + '\n' + std::to_string(samples.size()) + '\n';
    bytes.reserve(bytes.size() + samples.size() * 2);
    for (const int16_t sample : samples) {
        const auto value = static_cast<uint16_t>(sample);
        bytes += static_cast<char>(value & 0xff);
        bytes += static_cast<char>(value >> 8);
    }
    // Written beside the entry under a name of its own, then renamed over
    // it: the entry is either the old one or the whole new one.
    std::string temporary = m_folder + "/.beep-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    const bool written = writeAll(fd, bytes);
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), pathOf(key).c_str()) != 0) {
        unlink(temporary.c_str());
        return;
    }
    prune();
}

void BeepCache::prune() const {
    DIR* dir = opendir(m_folder.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::pair<int64_t, std::string>> entries; // modification time, path
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (!isEntryName(name))
            continue;
        const std::string path = m_folder + "/" + name;
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            entries.emplace_back(
                static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec, path);
    }
    closedir(dir);
    if (entries.size() <= kMostEntries)
        return;
    std::sort(entries.begin(), entries.end());
    for (std::size_t i = 0; i + kMostEntries < entries.size(); ++i)
        unlink(entries[i].second.c_str());
}

} // namespace sorvane
