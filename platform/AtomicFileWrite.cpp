// Saving a file in one step: the bytes go to a temporary file beside the
// target, are flushed to the disk, and the temporary file is renamed over
// the target, so that a failed save leaves the file that was there whole.
#include "platform/PropertyList.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <string_view>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string systemError(int err) { return std::strerror(err ? err : EIO); }

// The file a path stands for: symbolic links at its end are followed, a
// relative link from its own folder.  The file need not exist (a new
// document, or a link whose file was removed).
bool followLinks(std::string path, std::string& target, std::string& error) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return true;
        }
        std::string link(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : size_t(4096), '\0');
        for (;;) {
            const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
            if (n < 0) {
                error = "its symbolic link cannot be read (" + systemError(errno) + ")";
                return false;
            }
            if (static_cast<size_t>(n) < link.size()) {
                link.resize(static_cast<size_t>(n));
                break;
            }
            link.resize(link.size() * 2);  // the link grew meanwhile
        }
        path = !link.empty() && link[0] == '/' ? link : folderOf(path) + "/" + link;
    }
    error = "it leads through too many symbolic links";
    return false;
}

// A name for the temporary file beside `target` that no other save uses:
// hidden, with a random part.
std::string temporaryNameFor(const std::string& target, std::mt19937_64& random) {
    const size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.size() > 200) base.resize(200);  // room for the rest within a file name's 255 bytes
    char tag[24];
    std::snprintf(tag, sizeof tag, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    return folder + "." + base + "." + tag + ".saving~";
}

// A file system mounted read-only (a CD, a write-protected stick, a
// snapshot): no file on it can be written, whatever its permissions say.
bool onReadOnlyFileSystem(const std::string& path) {
    struct statvfs fs;
    return ::statvfs(path.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0;
}

bool writeAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         const std::function<void(const std::string&)>& beforeCreating) {
    std::string target;
    if (!followLinks(path, target, error)) return false;

    // What is there: a file to replace (keeping its permissions), nothing, or
    // something that is not ours to replace.
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = "it is a folder";
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    if (exists && ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        error = onReadOnlyFileSystem(target) ? "the file system it is on is read-only" : "the file is read-only";
        return false;
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    // The temporary file is created, never opened: a file or a symbolic link
    // planted at its name makes the creation fail, and another name is tried.
    uint64_t seed = 0;
    if (::getentropy(&seed, sizeof seed) != 0)
        seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<uint64_t>(::getpid()) << 40);
    std::mt19937_64 random(seed);
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = temporaryNameFor(target, random);
        if (beforeCreating) beforeCreating(tmp);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EROFS) {
            error = "the file system of its folder is read-only";
            return false;
        }
        if (fd < 0 && errno != EEXIST) {
            error = "its folder cannot be written to (" + systemError(errno) + ")";
            return false;
        }
    }
    if (fd < 0) {
        error = "no free name was found for the temporary file in its folder";
        return false;
    }
    // On disk before the rename, so that a crash leaves the old file or the new one, whole.
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) ok = false, err = errno;
    if (!ok) {
        ::unlink(tmp.c_str());
        error = "the data could not be written (" + systemError(err) + ")";
        return false;
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        error = "the file cannot be replaced (" + systemError(err) + ")";
        return false;
    }
    // The new name is part of the folder: flush it too, or a crash could bring back the old file.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        const bool synced = ::fsync(dir) == 0 || errno == EINVAL || errno == ENOTSUP;
        err = errno;
        ::close(dir);
        if (!synced) {
            error = "the new file is in place but its folder could not be written to disk (" + systemError(err) + ")";
            return false;
        }
    }
    return true;
}

}  // namespace platform
