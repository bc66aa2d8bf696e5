// The Windows side of core/SystemFiles.h, on the C runtime's descriptors, and the atomic
// replacement of a file. Windows has no FIFOs in the file system; devices (CON, COM1, NUL)
// and named pipes show as character devices to _fstat, and opening one never waits.

#include "core/SystemFiles.h"

#if defined(_WIN32)

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Kind = FileProblem::Kind;

// Links followed while looking for a save's target.
constexpr int kMaxLinkHops = 40;

FileProblem fromErrno(int error)
{
    switch (error) {
    case ENOSPC:
        return {Kind::DiskFull};
    case ENOENT:
        return {Kind::Missing};
    default:
        return {Kind::SystemError, error};
    }
}

FileProblem kindOf(fs::file_type type)
{
    switch (type) {
    case fs::file_type::regular:
        return {};
    case fs::file_type::directory:
        return {Kind::Directory};
    case fs::file_type::not_found:
        return {Kind::Missing};
    case fs::file_type::character:
    case fs::file_type::block:
        return {Kind::Device};
    default:
        return {Kind::OtherType};
    }
}

// The name at the end of path's links; a link's relative target is taken from its folder.
FileProblem finalTarget(const fs::path& path, fs::path& target, bool& exists)
{
    target = path;
    exists = false;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(target, error);
        if (status.type() == fs::file_type::not_found)
            return hop > 0 ? FileProblem{Kind::DanglingLink} : FileProblem{};
        if (error)
            return {Kind::SystemError, error.value()};
        if (status.type() != fs::file_type::symlink) {
            exists = true;
            return kindOf(status.type());
        }
        const fs::path next = fs::read_symlink(target, error);
        if (error)
            return {Kind::SystemError, error.value()};
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return {Kind::SystemError, ELOOP};
}

} // namespace

namespace SystemFiles {

FileProblem checkNamed(const fs::path& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found && fs::is_symlink(fs::symlink_status(path, error)))
        return {Kind::DanglingLink};
    if (error && status.type() != fs::file_type::not_found)
        return {Kind::SystemError, error.value()};
    return kindOf(status.type());
}

OpenedFile openChecked(const fs::path& path, Mode mode)
{
    int flags = _O_RDONLY;
    switch (mode) {
    case Mode::Read:
        break;
    case Mode::Update:
        flags = _O_RDWR;
        break;
    case Mode::CreateNew:
        flags = _O_RDWR | _O_CREAT | _O_EXCL;
        break;
    case Mode::CreateScratch:
        flags = _O_WRONLY | _O_CREAT | _O_EXCL;
        break;
    }
    const int fd = ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return {{}, fromErrno(errno)};
    FileHandle file(fd);
    struct _stat64 status {};
    if (::_fstat64(fd, &status) != 0)
        return {{}, fromErrno(errno)};
    if ((status.st_mode & _S_IFMT) == _S_IFDIR)
        return {{}, {Kind::Directory}};
    if ((status.st_mode & _S_IFMT) == _S_IFCHR)
        return {{}, {Kind::Device}};
    if ((status.st_mode & _S_IFMT) != _S_IFREG)
        return {{}, {Kind::OtherType}};
    return {std::move(file), {}};
}

long long sizeOf(int fd)
{
    struct _stat64 status {};
    return ::_fstat64(fd, &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

FileProblem seekToStart(int fd)
{
    return ::_lseeki64(fd, 0, SEEK_SET) == 0 ? FileProblem{} : fromErrno(errno);
}

FileProblem readSome(int fd, char* data, std::size_t size, std::size_t& got)
{
    const int n = ::_read(fd, data, unsigned(std::min<std::size_t>(size, 1u << 30)));
    if (n < 0)
        return fromErrno(errno);
    got = std::size_t(n);
    return {};
}

FileProblem writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const int written = ::_write(fd, bytes.data(), unsigned(std::min<std::size_t>(bytes.size(), 1u << 30)));
        if (written == 0)
            return {Kind::DiskFull};
        if (written < 0)
            return fromErrno(errno);
        bytes.remove_prefix(std::size_t(written));
    }
    return {};
}

void closeDescriptor(int fd)
{
    ::_close(fd);
}

int processId()
{
    return ::_getpid();
}

} // namespace SystemFiles

FileProblem ReplaceRegularFile(const fs::path& path, std::string_view bytes)
{
    fs::path target;
    bool exists = false;
    if (const FileProblem problem = finalTarget(path, target, exists))
        return problem;
    if (exists && ::_waccess(target.c_str(), 2) != 0)
        return fromErrno(errno);

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    fs::path scratch;
    OpenedFile opened = SystemFiles::createScratch(folder, scratch);
    if (opened.problem)
        return opened.problem;
    std::error_code removed;
    const auto fail = [&](FileProblem problem) {
        fs::remove(scratch, removed);
        return problem;
    };
    if (const FileProblem problem = SystemFiles::writeAll(opened.file.fd(), bytes))
        return fail(problem);
    if (::_commit(opened.file.fd()) != 0 || ::_close(opened.file.release()) != 0)
        return fail(fromErrno(errno));
    std::error_code error;
    fs::rename(scratch, target, error);   // replaces the target as one step
    if (error)
        return fail({Kind::SystemError, error.value()});
    return {};
}

#endif
