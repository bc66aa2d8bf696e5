// The Windows side of core/RegularFile.h, on the C runtime's descriptors. Windows has no
// FIFOs in the file system; devices (CON, COM1, NUL) and named pipes show as character
// devices to _fstat, and opening one never waits.

#include "core/RegularFile.h"

#if defined(_WIN32)

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Kind = FileProblem::Kind;

// Links followed while looking for a save's target.
constexpr int kMaxLinkHops = 40;

FileProblem kindOf(unsigned short mode)
{
    if ((mode & _S_IFMT) == _S_IFREG)
        return {};
    if ((mode & _S_IFMT) == _S_IFDIR)
        return {Kind::Directory};
    if ((mode & _S_IFMT) == _S_IFCHR)
        return {Kind::Device};
    return {Kind::OtherType};
}

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

OpenedFile openChecked(const fs::path& path, int flags)
{
    const int fd = ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return {{}, fromErrno(errno)};
    FileHandle file(fd);
    struct _stat64 status {};
    if (::_fstat64(fd, &status) != 0)
        return {{}, fromErrno(errno)};
    if (const FileProblem problem = kindOf(status.st_mode))
        return {{}, problem};
    return {std::move(file), {}};
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

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::_close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        ::_close(m_fd);
}

int FileHandle::release()
{
    return std::exchange(m_fd, -1);
}

OpenedFile OpenRegularFileForReading(const fs::path& path)
{
    if (const FileProblem problem = checkNamed(path))
        return {{}, problem};
    return openChecked(path, _O_RDONLY);
}

OpenedFile OpenRegularFileForUpdate(const fs::path& path)
{
    const FileProblem named = checkNamed(path);
    if (named.kind == Kind::Missing) {
        OpenedFile created = openChecked(path, _O_RDWR | _O_CREAT | _O_EXCL);
        created.created = !created.problem;
        if (created.problem.kind != Kind::SystemError || created.problem.error != EEXIST)
            return created;
        if (const FileProblem now = checkNamed(path))
            return {{}, now};
    } else if (named) {
        return {{}, named};
    }
    return openChecked(path, _O_RDWR);
}

FileProblem ReadAtStart(const FileHandle& file, void* data, std::size_t size, std::size_t& got)
{
    got = 0;
    if (::_lseeki64(file.fd(), 0, SEEK_SET) != 0)
        return fromErrno(errno);
    while (got < size) {
        const int n = ::_read(file.fd(), static_cast<char*>(data) + got, unsigned(size - got));
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
    if (::_lseeki64(file.fd(), 0, SEEK_SET) != 0)
        return fromErrno(errno);
    const int written = ::_write(file.fd(), bytes.data(), unsigned(bytes.size()));
    if (written == int(bytes.size()))
        return {};
    return written >= 0 ? FileProblem{Kind::DiskFull} : fromErrno(errno);
}

FileBytes ReadRegularFile(const fs::path& path, std::size_t maxBytes)
{
    OpenedFile opened = OpenRegularFileForReading(path);
    if (opened.problem)
        return {{}, opened.problem};
    FileBytes result;
    std::array<char, 65536> buffer;
    for (;;) {
        // One byte past the limit is enough to know the file is too large.
        const std::size_t room = std::min(buffer.size(), maxBytes + 1 - result.bytes.size());
        const int got = ::_read(opened.file.fd(), buffer.data(), unsigned(room));
        if (got < 0)
            return {{}, fromErrno(errno)};
        if (got == 0)
            return result;
        result.bytes.append(buffer.data(), std::size_t(got));
        if (result.bytes.size() > maxBytes)
            return {{}, {Kind::TooLarge}};
    }
}

FileProblem ReplaceRegularFile(const fs::path& path, std::string_view bytes)
{
    fs::path target;
    bool exists = false;
    if (const FileProblem problem = finalTarget(path, target, exists))
        return problem;
    if (exists && ::_waccess(target.c_str(), 2) != 0)
        return fromErrno(errno);

    // A new file beside the target, so the final rename stays on one volume.
    static std::atomic<unsigned> counter{0};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    fs::path scratch;
    OpenedFile opened;
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch = folder / (".miravo-save-" + std::to_string(::_getpid()) + "-" + std::to_string(counter++) + ".tmp");
        opened = openChecked(scratch, _O_WRONLY | _O_CREAT | _O_EXCL);
        if (opened.problem.kind != Kind::SystemError || opened.problem.error != EEXIST)
            break;
    }
    if (opened.problem)
        return opened.problem;
    std::error_code removed;
    const auto fail = [&](FileProblem problem) {
        fs::remove(scratch, removed);
        return problem;
    };
    while (!bytes.empty()) {
        const int written = ::_write(opened.file.fd(), bytes.data(), unsigned(std::min<std::size_t>(bytes.size(), 1 << 30)));
        if (written < 0)
            return fail(fromErrno(errno));
        bytes.remove_prefix(std::size_t(written));
    }
    if (::_commit(opened.file.fd()) != 0 || ::_close(opened.file.release()) != 0)
        return fail(fromErrno(errno));
    std::error_code error;
    fs::rename(scratch, target, error);   // replaces the target as one step
    if (error)
        return fail({Kind::SystemError, error.value()});
    return {};
}

#endif
