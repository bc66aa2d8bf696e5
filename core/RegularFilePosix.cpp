// The POSIX side of core/RegularFile.h.

#include "core/RegularFile.h"

#if !defined(_WIN32)

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Kind = FileProblem::Kind;

// Links followed while looking for a save's target; the kernel's own limit.
constexpr int kMaxLinkHops = 40;

FileProblem kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return {Kind::Directory};
    if (S_ISFIFO(mode))
        return {Kind::Fifo};
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return {Kind::Device};
    if (S_ISSOCK(mode))
        return {Kind::Socket};
    return {Kind::OtherType};
}

FileProblem fromErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return {Kind::DiskFull};
    case EISDIR:
        return {Kind::Directory};
    case ENOENT:
        return {Kind::Missing};
    default:
        return {Kind::SystemError, error};
    }
}

// What path names, links followed: None for a regular file.
FileProblem checkNamed(const fs::path& path, struct stat& status)
{
    if (::stat(path.c_str(), &status) == 0)
        return kindOf(status.st_mode);
    const int error = errno;
    struct stat link {};
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        return {Kind::DanglingLink};
    return fromErrno(error);
}

FileProblem checkOpened(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return fromErrno(errno);
    return kindOf(status.st_mode);
}

// Opens and then checks the descriptor itself: the name may have been swapped since the
// check by name. O_NONBLOCK keeps a FIFO swapped in from blocking the open; a regular
// file is then read and written as usual, so the flag is cleared again.
OpenedFile openChecked(const fs::path& path, int flags, mode_t mode = 0)
{
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0)
        return {{}, fromErrno(errno)};
    FileHandle file(fd);
    if (const FileProblem problem = checkOpened(fd))
        return {{}, problem};
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {std::move(file), {}};
}

bool writeAll(int fd, std::string_view bytes, int& error)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

// The name at the end of path's links, with its status when it exists. A link's relative
// target is taken from the link's folder, as the system does.
struct SaveTarget {
    fs::path path;
    bool exists = false;
    struct stat status {};
    FileProblem problem;
};

SaveTarget finalTarget(const fs::path& path)
{
    SaveTarget target;
    target.path = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            const int error = errno;
            if (error == ENOENT && hop > 0)
                target.problem = {Kind::DanglingLink};
            else if (error != ENOENT)
                target.problem = fromErrno(error);
            return target;
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.exists = true;
            target.problem = kindOf(target.status.st_mode);
            return target;
        }
        std::error_code error;
        const fs::path next = fs::read_symlink(target.path, error);
        if (error) {
            target.problem = fromErrno(error.value());
            return target;
        }
        target.path = next.is_absolute() ? next : target.path.parent_path() / next;
    }
    target.problem = {Kind::SystemError, ELOOP};
    return target;
}

// A new file beside the target, so the final rename stays on one file system.
OpenedFile createScratch(const fs::path& folder, fs::path& scratch)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch = folder / (".miravo-save-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
        OpenedFile opened = openChecked(scratch, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (opened.problem.kind != Kind::SystemError || opened.problem.error != EEXIST)
            return opened;
    }
    return {{}, {Kind::SystemError, EEXIST}};
}

} // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileHandle::release()
{
    return std::exchange(m_fd, -1);
}

OpenedFile OpenRegularFileForReading(const fs::path& path)
{
    struct stat status {};
    if (const FileProblem problem = checkNamed(path, status))
        return {{}, problem};
    return openChecked(path, O_RDONLY);
}

OpenedFile OpenRegularFileForUpdate(const fs::path& path)
{
    struct stat status {};
    const FileProblem named = checkNamed(path, status);
    if (named.kind == Kind::Missing) {
        // O_EXCL also refuses a link that appeared meanwhile, dangling or not.
        OpenedFile created = openChecked(path, O_RDWR | O_CREAT | O_EXCL, 0666);
        created.created = !created.problem;
        if (created.problem.kind != Kind::SystemError || created.problem.error != EEXIST)
            return created;
        if (const FileProblem now = checkNamed(path, status))
            return {{}, now};
    } else if (named) {
        return {{}, named};
    }
    return openChecked(path, O_RDWR);
}

FileProblem ReadAtStart(const FileHandle& file, void* data, std::size_t size, std::size_t& got)
{
    got = 0;
    while (got < size) {
        const ssize_t n = ::pread(file.fd(), static_cast<char*>(data) + got, size - got, off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fromErrno(errno);
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    return {};
}

FileProblem WriteAtStart(const FileHandle& file, std::string_view bytes)
{
    const ssize_t written = ::pwrite(file.fd(), bytes.data(), bytes.size(), 0);
    if (written == ssize_t(bytes.size()))
        return {};
    return written >= 0 ? FileProblem{Kind::DiskFull} : fromErrno(errno);
}

FileBytes ReadRegularFile(const fs::path& path, std::size_t maxBytes)
{
    OpenedFile opened = OpenRegularFileForReading(path);
    if (opened.problem)
        return {{}, opened.problem};
    const int fd = opened.file.fd();
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {{}, fromErrno(errno)};
    if (std::size_t(status.st_size) > maxBytes)
        return {{}, {Kind::TooLarge}};

    FileBytes result;
    result.bytes.reserve(std::size_t(status.st_size));
    std::array<char, 65536> buffer;
    for (;;) {
        // One byte past the limit is enough to know the file is too large.
        const std::size_t room = std::min(buffer.size(), maxBytes + 1 - result.bytes.size());
        const ssize_t got = ::read(fd, buffer.data(), room);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {{}, fromErrno(errno)};
        }
        if (got == 0)
            return result;
        result.bytes.append(buffer.data(), std::size_t(got));
        if (result.bytes.size() > maxBytes)
            return {{}, {Kind::TooLarge}};
    }
}

FileProblem ReplaceRegularFile(const fs::path& path, std::string_view bytes)
{
    const SaveTarget target = finalTarget(path);
    if (target.problem)
        return target.problem;
    if (target.exists && ::access(target.path.c_str(), W_OK) != 0)
        return fromErrno(errno);

    const fs::path folder = target.path.has_parent_path() ? target.path.parent_path() : fs::path(".");
    fs::path scratch;
    OpenedFile opened = createScratch(folder, scratch);
    if (opened.problem)
        return opened.problem;
    const auto fail = [&](FileProblem problem) {
        ::unlink(scratch.c_str());
        return problem;
    };
    const int fd = opened.file.fd();
    if (target.exists) {
        // The replacement keeps the permissions and, where allowed, the owner.
        ::fchmod(fd, target.status.st_mode & 07777);
        [[maybe_unused]] const int ignored = ::fchown(fd, target.status.st_uid, target.status.st_gid);
    }
    int error = 0;
    // fsync reports what delayed allocation found out only then, a full disk among it.
    if (!writeAll(fd, bytes, error) || ::fsync(fd) != 0 || ::close(opened.file.release()) != 0)
        return fail(fromErrno(error != 0 ? error : errno));

    // The target may have been swapped for something else while the text was written.
    struct stat now {};
    if (::lstat(target.path.c_str(), &now) == 0 && !S_ISREG(now.st_mode))
        return fail(S_ISLNK(now.st_mode) ? FileProblem{Kind::OtherType} : kindOf(now.st_mode));
    if (::rename(scratch.c_str(), target.path.c_str()) != 0)
        return fail(fromErrno(errno));
    return {};
}

#endif
