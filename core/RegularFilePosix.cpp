// The POSIX side of core/SystemFiles.h, and the atomic replacement of a file.

#include "core/SystemFiles.h"

#if !defined(_WIN32)

#include <cerrno>
#include <system_error>

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

} // namespace

namespace SystemFiles {

FileProblem checkNamed(const fs::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return kindOf(status.st_mode);
    const int error = errno;
    struct stat link {};
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        return {Kind::DanglingLink};
    return fromErrno(error);
}

// O_NONBLOCK keeps a FIFO swapped in from blocking the open; a regular file is then read
// and written as usual, so the flag is cleared again.
OpenedFile openChecked(const fs::path& path, Mode mode)
{
    int flags = O_RDONLY;
    switch (mode) {
    case Mode::Read:
        break;
    case Mode::Update:
        flags = O_RDWR;
        break;
    case Mode::CreateNew:
        // O_EXCL also refuses a link that appeared meanwhile, dangling or not.
        flags = O_RDWR | O_CREAT | O_EXCL;
        break;
    case Mode::CreateScratch:
        flags = O_WRONLY | O_CREAT | O_EXCL;
        break;
    }
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return {{}, fromErrno(errno)};
    FileHandle file(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {{}, fromErrno(errno)};
    if (const FileProblem problem = kindOf(status.st_mode))
        return {{}, problem};
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {std::move(file), {}};
}

long long sizeOf(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

FileProblem seekToStart(int fd)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 ? FileProblem{} : fromErrno(errno);
}

FileProblem readSome(int fd, char* data, std::size_t size, std::size_t& got)
{
    for (;;) {
        const ssize_t n = ::read(fd, data, size);
        if (n >= 0) {
            got = std::size_t(n);
            return {};
        }
        if (errno != EINTR)
            return fromErrno(errno);
    }
}

FileProblem writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written == 0)
            return {Kind::DiskFull};
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fromErrno(errno);
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return {};
}

void closeDescriptor(int fd)
{
    ::close(fd);
}

int processId()
{
    return int(::getpid());
}

} // namespace SystemFiles

FileProblem ReplaceRegularFile(const fs::path& path, std::string_view bytes)
{
    const SaveTarget target = finalTarget(path);
    if (target.problem)
        return target.problem;
    if (target.exists && ::access(target.path.c_str(), W_OK) != 0)
        return fromErrno(errno);

    const fs::path folder = target.path.has_parent_path() ? target.path.parent_path() : fs::path(".");
    fs::path scratch;
    OpenedFile opened = SystemFiles::createScratch(folder, scratch);
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
    if (const FileProblem problem = SystemFiles::writeAll(fd, bytes))
        return fail(problem);
    // fsync reports what delayed allocation found out only then, a full disk among it.
    if (::fsync(fd) != 0 || ::close(opened.file.release()) != 0)
        return fail(fromErrno(errno));

    // The target may have been swapped for something else while the text was written.
    struct stat now {};
    if (::lstat(target.path.c_str(), &now) == 0 && !S_ISREG(now.st_mode))
        return fail(S_ISLNK(now.st_mode) ? FileProblem{Kind::OtherType} : kindOf(now.st_mode));
    if (::rename(scratch.c_str(), target.path.c_str()) != 0)
        return fail(fromErrno(errno));
    return {};
}

#endif
