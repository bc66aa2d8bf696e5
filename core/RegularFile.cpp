#include "core/RegularFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

using Kind = FileProblem::Kind;

namespace {

// The few system calls that differ. Windows has no FIFOs in the file system, and its
// devices (CON, COM1, NUL) show as character devices to _fstat, so opening never waits.
#if defined(_WIN32)
constexpr int kRead = _O_RDONLY, kUpdate = _O_RDWR, kCreate = _O_RDWR | _O_CREAT | _O_EXCL;
constexpr int kScratch = _O_WRONLY | _O_CREAT | _O_EXCL;
int openFile(const fs::path& path, int flags)
{
    return ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
bool isRegular(int fd)
{
    struct _stat64 status {};
    return ::_fstat64(fd, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}
long long sizeOf(int fd)
{
    struct _stat64 status {};
    return ::_fstat64(fd, &status) == 0 ? status.st_size : -1;
}
long long readSome(int fd, char* data, std::size_t size)
{
    return ::_read(fd, data, unsigned(std::min<std::size_t>(size, 1u << 30)));
}
long long writeSome(int fd, const char* data, std::size_t size)
{
    return ::_write(fd, data, unsigned(std::min<std::size_t>(size, 1u << 30)));
}
bool toStart(int fd) { return ::_lseeki64(fd, 0, SEEK_SET) == 0; }
bool flushed(int fd) { return ::_commit(fd) == 0; }
bool closeFile(int fd) { return ::_close(fd) == 0; }
bool writable(const fs::path& path) { return ::_waccess(path.c_str(), 2) == 0; }
int processId() { return ::_getpid(); }
bool processGone(int pid)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}
#else
constexpr int kRead = O_RDONLY, kUpdate = O_RDWR, kCreate = O_RDWR | O_CREAT | O_EXCL;
constexpr int kScratch = O_WRONLY | O_CREAT | O_EXCL;
// O_NONBLOCK keeps a FIFO swapped in after the check by name from blocking the open; a
// regular file then reads and writes as usual once the flag is cleared.
int openFile(const fs::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
bool isRegular(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}
long long sizeOf(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? status.st_size : -1;
}
long long readSome(int fd, char* data, std::size_t size)
{
    ssize_t n;
    while ((n = ::read(fd, data, size)) < 0 && errno == EINTR) {}
    return n;
}
long long writeSome(int fd, const char* data, std::size_t size)
{
    ssize_t n;
    while ((n = ::write(fd, data, size)) < 0 && errno == EINTR) {}
    return n;
}
bool toStart(int fd) { return ::lseek(fd, 0, SEEK_SET) == 0; }
// fsync reports what delayed allocation found out only then, a full disk among it.
bool flushed(int fd) { return ::fsync(fd) == 0; }
bool closeFile(int fd) { return ::close(fd) == 0; }
bool writable(const fs::path& path) { return ::access(path.c_str(), W_OK) == 0; }
int processId() { return int(::getpid()); }
bool processGone(int pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }
#endif

FileProblem fromError(int error)
{
    switch (error) {
    case ENOSPC:
#if defined(EDQUOT)
    case EDQUOT:
#endif
        return {Kind::DiskFull};
    case EISDIR:
        return {Kind::Directory};
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
    case fs::file_type::not_found:
        return {Kind::Missing};
    case fs::file_type::directory:
        return {Kind::Directory};
    case fs::file_type::fifo:
        return {Kind::Fifo};
    case fs::file_type::character:
    case fs::file_type::block:
        return {Kind::Device};
    case fs::file_type::socket:
        return {Kind::Socket};
    default:
        return {Kind::OtherType};
    }
}

// What path names, links followed, checked before opening: opening a device can act on it.
FileProblem namedKind(const fs::path& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found && fs::is_symlink(fs::symlink_status(path, error)))
        return {Kind::DanglingLink};
    if (status.type() == fs::file_type::none)
        return fromError(error.value());
    return kindOf(status.type());
}

// Opens path and checks the opened file as well, because the name may have been swapped
// since the check by name.
OpenedFile openChecked(const fs::path& path, int flags)
{
    FileHandle file(openFile(path, flags));
    if (!file)
        return {{}, fromError(errno)};
    if (!isRegular(file.fd())) {
        const FileProblem now = namedKind(path);
        return {{}, now ? now : FileProblem{Kind::OtherType}};
    }
    return {std::move(file), {}};
}

FileProblem writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const long long written = writeSome(fd, bytes.data(), bytes.size());
        if (written <= 0)
            return written == 0 ? FileProblem{Kind::DiskFull} : fromError(errno);
        bytes.remove_prefix(std::size_t(written));
    }
    return {};
}

// A save's scratch file: ".miravo-save-<process>-<n>.tmp" beside its target, so the final
// rename stays on one file system and a scratch file left by a killed save names its owner.
constexpr std::string_view kScratchPrefix = ".miravo-save-";

fs::path scratchName(const fs::path& folder)
{
    static std::atomic<unsigned> counter{0};
    return folder / (std::string(kScratchPrefix) + std::to_string(processId()) + "-" + std::to_string(counter++) + ".tmp");
}

// Removes the scratch files of saves whose process has ended (killed mid-way, or a power loss).
void removeStaleScratch(const fs::path& folder)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(kScratchPrefix) || !name.ends_with(".tmp"))
            continue;
        int pid = 0;
        const char* digits = name.data() + kScratchPrefix.size();
        const auto [rest, failed] = std::from_chars(digits, name.data() + name.size(), pid);
        std::error_code ignored;
        if (failed == std::errc() && rest != digits && *rest == '-' && pid > 0 && pid != processId() && processGone(pid))
            fs::remove(it->path(), ignored);
    }
}

// A new file for a save's bytes in folder, complete and flushed, and its name. On Linux the
// bytes go to an unnamed file first, which a killed save leaves nowhere, and get a name
// only once complete; where the file system or /proc refuses that, to a named one.
// The new file keeps the permissions and, where allowed, the owner of keepFrom.
FileProblem writeScratch(const fs::path& folder, std::string_view bytes, [[maybe_unused]] const fs::path* keepFrom,
                         fs::path& scratch, [[maybe_unused]] bool unnamedFirst = true)
{
    FileHandle file;
#if defined(O_TMPFILE)
    if (unnamedFirst && fs::exists("/proc/self/fd"))
        file = FileHandle(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
#endif
    const bool unnamed = bool(file);
    for (int attempt = 0; !file && attempt < 100; ++attempt) {
        scratch = scratchName(folder);
        file = FileHandle(openFile(scratch, kScratch));
        if (!file && errno != EEXIST)
            return fromError(errno);
    }
    if (!file)
        return fromError(EEXIST);
    const auto fail = [&](FileProblem problem) {
        std::error_code ignored;
        if (!unnamed)
            fs::remove(scratch, ignored);
        return problem;
    };
#if !defined(_WIN32)
    if (struct stat status {}; keepFrom && ::stat(keepFrom->c_str(), &status) == 0) {
        ::fchmod(file.fd(), status.st_mode & 07777);
        [[maybe_unused]] const int ignored = ::fchown(file.fd(), status.st_uid, status.st_gid);
    }
#endif
    if (const FileProblem problem = writeAll(file.fd(), bytes))
        return fail(problem);
    if (!flushed(file.fd()))
        return fail(fromError(errno));
#if defined(O_TMPFILE)
    if (unnamed) {
        const std::string self = "/proc/self/fd/" + std::to_string(file.fd());
        for (int attempt = 0; attempt < 100; ++attempt) {
            scratch = scratchName(folder);
            // Flushed already: closing can no longer lose anything.
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, scratch.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return {};
            if (errno != EEXIST)
                break;
        }
        return writeScratch(folder, bytes, keepFrom, scratch, false);
    }
#endif
    return closeFile(file.release()) ? FileProblem{} : fail(fromError(errno));
}

} // namespace

std::string FileProblemText(const FileProblem& problem)
{
    switch (problem.kind) {
    case Kind::None:
        return {};
    case Kind::Missing:
        return "ファイルまたはフォルダーが見つかりません。";
    case Kind::DanglingLink:
        return "リンク先のないシンボリックリンクです。";
    case Kind::Directory:
        return "フォルダーです（通常のファイルではありません）。";
    case Kind::Fifo:
        return "名前付きパイプ（FIFO）です（通常のファイルではありません）。";
    case Kind::Device:
        return "デバイスです（通常のファイルではありません）。";
    case Kind::Socket:
        return "ソケットです（通常のファイルではありません）。";
    case Kind::OtherType:
        return "通常のファイルではありません。";
    case Kind::TooLarge:
        return "ファイルが大きすぎます。";
    case Kind::DiskFull:
        return "ディスクの空き容量が足りません。";
    case Kind::SystemError:
        break;
    }
    switch (problem.error) {
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません。";
    case EROFS:
        return "読み取り専用のファイルシステムです。";
    case ENAMETOOLONG:
        return "名前が長すぎます。";
    case ELOOP:
        return "シンボリックリンクが循環しているか、多すぎます。";
    case ENOTDIR:
        return "パスの途中にフォルダーでないものがあります。";
    case EIO:
        return "入出力エラーが起きました。";
    case EFBIG:
        return "ファイルの大きさの上限を超えます。";
    default:
        return "システムエラー " + std::to_string(problem.error) + "（" + std::strerror(problem.error) + "）です。";
    }
}

std::string PathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            closeFile(m_fd);
        m_fd = other.release();
    }
    return *this;
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        closeFile(m_fd);
}

int FileHandle::release()
{
    return std::exchange(m_fd, -1);
}

OpenedFile OpenRegularFileForReading(const fs::path& path)
{
    if (const FileProblem problem = namedKind(path))
        return {{}, problem};
    return openChecked(path, kRead);
}

OpenedFile OpenRegularFileForUpdate(const fs::path& path)
{
    const FileProblem named = namedKind(path);
    if (named.kind == Kind::Missing) {
        // O_EXCL also refuses a link that appeared meanwhile, dangling or not.
        OpenedFile created = openChecked(path, kCreate);
        created.created = !created.problem;
        if (created.problem.kind != Kind::SystemError || created.problem.error != EEXIST)
            return created;
        if (const FileProblem now = namedKind(path))
            return {{}, now};
    } else if (named) {
        return {{}, named};
    }
    return openChecked(path, kUpdate);
}

FileProblem ReadAtStart(const FileHandle& file, void* data, std::size_t size, std::size_t& got)
{
    got = 0;
    if (!toStart(file.fd()))
        return fromError(errno);
    while (got < size) {
        const long long n = readSome(file.fd(), static_cast<char*>(data) + got, size - got);
        if (n < 0)
            return fromError(errno);
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    return {};
}

FileProblem WriteAtStart(const FileHandle& file, std::string_view bytes)
{
    if (!toStart(file.fd()))
        return fromError(errno);
    return writeAll(file.fd(), bytes);
}

FileBytes ReadRegularFile(const fs::path& path, std::size_t maxBytes)
{
    OpenedFile opened = OpenRegularFileForReading(path);
    if (opened.problem)
        return {{}, opened.problem};
    const int fd = opened.file.fd();
    const long long size = sizeOf(fd);
    if (size > 0 && std::size_t(size) > maxBytes)
        return {{}, {Kind::TooLarge}};

    FileBytes result;
    result.bytes.reserve(size > 0 ? std::size_t(size) : 0);
    std::array<char, 65536> buffer;
    for (;;) {
        // One byte past the limit is enough to know the file is too large; the size said
        // before may be wrong by now.
        const std::size_t room = std::min(buffer.size(), maxBytes + 1 - result.bytes.size());
        const long long got = readSome(fd, buffer.data(), room);
        if (got < 0)
            return {{}, fromError(errno)};
        if (got == 0)
            return result;
        result.bytes.append(buffer.data(), std::size_t(got));
        if (result.bytes.size() > maxBytes)
            return {{}, {Kind::TooLarge}};
    }
}

FileProblem ReplaceRegularFile(const fs::path& path, std::string_view bytes)
{
    // The target is the file at the end of path's links, so that links stay links.
    const FileProblem named = namedKind(path);
    if (named && named.kind != Kind::Missing)
        return named;
    std::error_code error;
    const fs::path target = named ? path : fs::canonical(path, error);
    if (error)
        return fromError(error.value());
    if (!named && !writable(target))
        return fromError(errno);

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    removeStaleScratch(folder);
    fs::path scratch;
    if (const FileProblem problem = writeScratch(folder, bytes, named ? nullptr : &target, scratch))
        return problem;
    // The target may have been swapped for something else while the bytes were written.
    const fs::file_type now = fs::symlink_status(target, error).type();
    if (now != fs::file_type::regular && now != fs::file_type::not_found) {
        fs::remove(scratch, error);
        return now == fs::file_type::symlink ? FileProblem{Kind::OtherType} : kindOf(now);
    }
    fs::rename(scratch, target, error);   // replaces the target in one step
    if (error) {
        const FileProblem problem = fromError(error.value());
        fs::remove(scratch, error);
        return problem;
    }
    return {};
}
