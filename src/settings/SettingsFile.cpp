#include "settings/SettingsFile.h"

#include <algorithm>
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

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
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

ProbeResult probeSettingsFile(const std::string& path) {
    ProbeResult result;
    if (path.empty()) {
        result.error = "No file name given";
        return result;
    }
    // O_APPEND without O_TRUNC creates a missing file and never changes an
    // existing one.  O_NONBLOCK keeps a FIFO from hanging the window.
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        const int err = errno;
        struct stat st {};
        if (err == EISDIR || (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
            result.error = "\"" + path + "\" is a folder, not a settings file";
            return result;
        }
        static_cast<FileResult&>(result) = failure("Cannot open settings file", path, err);
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        static_cast<FileResult&>(result) = failure("Cannot examine settings file", path, errno);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = "\"" + path + "\" is not a regular file";
        return result;
    }
    result.ok = true;
    result.isEmpty = st.st_size == 0;
    return result;
}

ReadResult readSettingsFile(const std::string& path, std::size_t maxBytes) {
    ReadResult result;
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        static_cast<FileResult&>(result) = failure("Cannot read settings file", path, errno);
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = "\"" + path + "\" is not a regular file";
        return result;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            static_cast<FileResult&>(result) = failure("Cannot read settings file", path, errno);
            result.data.clear();
            return result;
        }
        if (n == 0)
            break;
        // A settings file needs a few kilobytes at most; past the limit the
        // rest cannot hold anything that would be read anyway.
        const std::size_t room = maxBytes - result.data.size();
        result.data.append(buf, std::min(static_cast<std::size_t>(n), room));
        if (result.data.size() >= maxBytes)
            break;
    }
    result.ok = true;
    return result;
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
    if (exists && !S_ISREG(old.st_mode)) {
        FileResult r;
        r.error = "\"" + path + "\" is not a regular file; the settings were not saved";
        return r;
    }

    std::string temp = folderOf(target) + "/" + kTempPrefix + "XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0)
        return failure("Cannot save settings file", path, errno);

    mode_t mode;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    int err = 0;
    if (!writeAll(fd.get(), text))
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
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return failure("Cannot save settings file", path, err);
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

FileResult deleteSettingsFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        FileResult r;
        r.error = "\"" + path + "\" is a folder and was not deleted";
        return r;
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return failure("Cannot delete settings file", path, errno);
    FileResult ok;
    ok.ok = true;
    return ok;
}

} // namespace sorvane
