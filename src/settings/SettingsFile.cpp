#include "settings/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {

namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

FileResult failure(const std::string& what, const std::string& path, int err) {
    FileResult r;
    r.error = describe(what, path, err);
    return r;
}

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool writeAllAt(int fd, const char* data, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads what is left of a descriptor, at most maxBytes; false on an error
// (errno tells which).
bool readAll(int fd, std::string& out, std::size_t maxBytes) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        const std::size_t room = maxBytes - out.size();
        out.append(buf, std::min(static_cast<std::size_t>(n), room));
        if (out.size() >= maxBytes)
            return true;
    }
}

// The user's own permission, by the effective ids, as the system checks it.
bool userMay(const std::string& path, int what) {
    return ::faccessat(AT_FDCWD, path.c_str(), what, AT_EACCESS) == 0;
}

FileResult notRegular(const std::string& path, const struct stat& st, const std::string& tail) {
    FileResult r;
    r.error = "\"" + path + (S_ISDIR(st.st_mode) ? "\" is a folder" : "\" is not a regular file") + tail;
    return r;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

constexpr char kTempPrefix[] = ".sorvane-save-";

// A save that was killed half-way leaves its temporary file behind (the old
// settings file is whole).  Such files are removed at the next save once
// they are a minute old, so that a save under way in another instance is
// never touched.
void removeStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, kTempPrefix, sizeof kTempPrefix - 1) != 0)
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > 60)
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace

ReadResult readSettingsFile(const std::string& path, std::size_t maxBytes) {
    ReadResult result;
    if (path.empty()) {
        result.error = "No file name given";
        return result;
    }
    // Read only: loading never needs to write, and a write-protected file
    // loads like any other.  O_NONBLOCK keeps a FIFO from hanging the window.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENOENT && ::lstat(path.c_str(), &st) != 0) {
            result.ok = true;
            result.missing = true;
            return result;
        }
        static_cast<FileResult&>(result) = failure("Cannot read settings file", path, err);
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        static_cast<FileResult&>(result) = failure("Cannot read settings file", path, errno);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        static_cast<FileResult&>(result) = notRegular(path, st, ", not a settings file");
        return result;
    }
    // A settings file needs a few kilobytes at most; past the limit the rest
    // cannot hold anything that would be read anyway.
    if (!readAll(fd.get(), result.data, maxBytes)) {
        static_cast<FileResult&>(result) = failure("Cannot read settings file", path, errno);
        result.data.clear();
        return result;
    }
    result.ok = true;
    return result;
}

namespace {

// In-place rewrite of `target`; messages name the file as the user gave it.
FileResult rewriteInPlace(const std::string& target, const std::string& text, const std::string& path) {
    Fd fd(::open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return failure("Cannot save settings file", path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return failure("Cannot save settings file", path, errno);
    if (!S_ISREG(st.st_mode))
        return notRegular(path, st, "; the settings were not saved");
    std::string old;
    if (!readAll(fd.get(), old, std::string::npos))
        return failure("Cannot save settings file", path, errno);

    // Growing first: the bytes beyond the old end need new room, and a full
    // disk or a size limit then fails before any old byte has changed.
    if (text.size() > old.size() && !writeAllAt(fd.get(), text.data() + old.size(), text.size() - old.size(),
                                                static_cast<off_t>(old.size()))) {
        const int err = errno;
        if (::ftruncate(fd.get(), static_cast<off_t>(old.size())) != 0) {
            // The old content is whole; at worst part of the new tail stays behind it.
        }
        return failure("Cannot save settings file", path, err);
    }
    // Overwriting bytes that are there needs no new room.
    const std::size_t head = std::min(text.size(), old.size());
    int err = 0;
    if (!writeAllAt(fd.get(), text.data(), head, 0))
        err = errno;
    else if (text.size() < old.size() && ::ftruncate(fd.get(), static_cast<off_t>(text.size())) != 0)
        err = errno;
    else if (::fsync(fd.get()) != 0)
        err = errno;
    if (err != 0) {
        // Put the old content back as well as the system lets us.
        if (writeAllAt(fd.get(), old.data(), old.size(), 0) &&
            ::ftruncate(fd.get(), static_cast<off_t>(old.size())) == 0)
            ::fsync(fd.get());
        return failure("Cannot save settings file", path, err);
    }
    if (::close(fd.release()) != 0)
        return failure("Cannot save settings file", path, errno);
    FileResult ok;
    ok.ok = true;
    return ok;
}

} // namespace

FileResult writeSettingsFileInPlace(const std::string& path, const std::string& text) {
    return rewriteInPlace(path, text, path);
}

FileResult saveSettingsFile(const std::string& path, const std::string& text) {
    if (path.empty())
        return failure("Cannot save settings file", path, ENOENT);

    // Save through a symbolic link into the file it points to.
    std::string target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr)
            target = resolved;
    }

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return notRegular(path, old, "; the settings were not saved");
    if (exists && !userMay(target, W_OK)) {
        if (errno != EACCES && errno != EPERM)
            return failure("Cannot save settings file", path, errno);
        FileResult r;
        r.error = "Cannot save settings file \"" + path + "\": it is write-protected";
        return r;
    }
    if (exists && !userMay(target, R_OK)) {
        FileResult r;
        r.error = "Cannot save settings file \"" + path + "\": it cannot be read, so it is not replaced";
        return r;
    }
    const char* what = exists ? "Cannot save settings file" : "Cannot create settings file";
    // A folder that takes no new files may still hold a file we may write.
    auto folderRefuses = [exists](int err) { return exists && (err == EACCES || err == EPERM); };

    std::string temp = folderOf(target) + "/" + kTempPrefix + "XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) {
        const int err = errno;
        if (folderRefuses(err))
            return rewriteInPlace(target, text, path);
        return failure(what, path, err);
    }

    mode_t mode;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    int err = 0;
    if (!writeAllAt(fd.get(), text.data(), text.size(), 0)) // a new file
        err = errno;
    else if (::fchmod(fd.get(), mode) != 0)
        err = errno;
    else if (::fsync(fd.get()) != 0)
        err = errno;
    if (exists && err == 0) {
        // Keep the owner where we are allowed to (root saving a user's file).
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
            // Not fatal: the file keeps our ownership.
        }
    }
    const int closeResult = ::close(fd.release());
    if (err == 0 && closeResult != 0)
        err = errno;
    bool renameRefused = false;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        renameRefused = folderRefuses(err);
    }
    if (err != 0) {
        ::unlink(temp.c_str());
        // A sticky folder lets us add files but not replace another's.
        if (renameRefused)
            return rewriteInPlace(target, text, path);
        return failure(what, path, err);
    }
    // Make the rename itself durable.
    Fd dir(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    removeStaleTemporaries(folderOf(target));
    FileResult ok;
    ok.ok = true;
    return ok;
}

bool isWriteProtected(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !userMay(path, W_OK);
}

bool folderAllowsRemoving(const std::string& path) {
    return userMay(folderOf(path), W_OK | X_OK);
}

FileResult deleteSettingsFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return notRegular(path, st, " and was not deleted");
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return failure("Cannot delete settings file", path, errno);
    FileResult ok;
    ok.ok = true;
    return ok;
}

std::vector<std::string> listSettingsFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= 4 || name[0] == '.')
            continue;
        std::string extension = name.substr(name.size() - 4);
        for (char& c : extension)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extension != ".ini")
            continue;
        struct stat st {};
        std::string path = folder;
        path += '/';
        path += name;
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// --------------------------------------------------------------- names

std::u16string nameFromBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    auto continuation = [&](std::size_t i) { return i < bytes.size() && (byteAt(i) & 0xC0) == 0x80; };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char b = byteAt(i);
        char32_t cp = 0;
        std::size_t length = 0;
        if (b < 0x80) {
            cp = b;
            length = 1;
        } else if (b >= 0xC2 && b <= 0xDF && continuation(i + 1)) {
            cp = ((b & 0x1Fu) << 6) | (byteAt(i + 1) & 0x3Fu);
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
            cp = ((b & 0x0Fu) << 12) | ((byteAt(i + 1) & 0x3Fu) << 6) | (byteAt(i + 2) & 0x3Fu);
            // Overlong forms and encoded surrogates are not valid UTF-8.
            if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF))
                length = 3;
        } else if (b >= 0xF0 && b <= 0xF4 && continuation(i + 1) && continuation(i + 2) &&
                   continuation(i + 3)) {
            cp = ((b & 0x07u) << 18) | ((byteAt(i + 1) & 0x3Fu) << 12) | ((byteAt(i + 2) & 0x3Fu) << 6) |
                 (byteAt(i + 3) & 0x3Fu);
            if (cp >= 0x10000 && cp <= 0x10FFFF)
                length = 4;
        }
        if (length == 0) {
            out += static_cast<char16_t>(0xDC00 + b);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return out;
}

std::string bytesFromName(std::u16string_view name) {
    std::string out;
    out.reserve(name.size());
    auto put = [&out](char32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    };
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t u = name[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
            name[i + 1] <= 0xDFFF) {
            put(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (name[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00); // a byte that was not valid UTF-8
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            put(0xFFFD);
        } else {
            put(u);
        }
    }
    return out;
}

} // namespace sorvane
