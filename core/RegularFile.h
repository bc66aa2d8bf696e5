#pragma once
// Files named from outside (a dialog, the command line, the working directory) are read
// and written only when they are regular files. The kind is checked before opening,
// because opening a device can act on it (a serial port raises its control lines), and
// again on the opened descriptor, because the name may have changed in between. FIFOs are
// opened without blocking, so nothing here waits on another process. POSIX and Windows
// differ only in a few system calls, kept together at the top of RegularFile.cpp.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

struct FileProblem {
    enum class Kind {
        None,
        Missing,       // nothing at the path
        DanglingLink,  // a symbolic link whose target does not exist
        Directory,
        Fifo,
        Device,        // character or block device
        Socket,
        OtherType,     // any other kind of node that is not a regular file
        TooLarge,      // more bytes than the reader accepts
        DiskFull,      // no space left on the file system, or the quota is used up
        SystemError,   // anything else the system refused; error holds errno
    };
    Kind kind = Kind::None;
    int error = 0;

    explicit operator bool() const { return kind != Kind::None; }
    bool operator==(const FileProblem&) const = default;
};

// One Japanese sentence saying what is wrong, without the path (the caller names it).
std::string FileProblemText(const FileProblem& problem);

// The path as UTF-8 for messages.
std::string PathText(const std::filesystem::path& path);

// Owns one open descriptor.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    FileHandle(FileHandle&& other) noexcept : m_fd(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle();

    int fd() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release();

private:
    int m_fd = -1;
};

struct OpenedFile {
    FileHandle file;      // open when problem is None
    FileProblem problem;
    bool created = false;  // the file did not exist before
};

// Opens the regular file that path names (links followed) for reading.
OpenedFile OpenRegularFileForReading(const std::filesystem::path& path);

// Opens the regular file that path names (links followed) for reading and writing in
// place, or creates it when nothing is there. A dangling link is refused rather than
// creating a file wherever it points.
OpenedFile OpenRegularFileForUpdate(const std::filesystem::path& path);

// Reads up to size bytes from the start of the open file; got says how many it held.
FileProblem ReadAtStart(const FileHandle& file, void* data, std::size_t size, std::size_t& got);

// Writes bytes over the start of the open file, in place: what follows them stays. A short
// write means the disk is full.
FileProblem WriteAtStart(const FileHandle& file, std::string_view bytes);

struct FileBytes {
    std::string bytes;
    FileProblem problem;
};

// The whole content of the regular file at path. The limit is enforced while reading (a
// file may grow, and its size says nothing for special files), so a refused file costs
// at most maxBytes of memory.
FileBytes ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces the file at the end of path's links with bytes, or creates it when nothing is
// there: the text goes to a new file beside the target, which is renamed over it once
// complete, so the target is either the old file or the new one, never half written.
// Links stay links; the target keeps its permissions. A target that is not a regular
// file, and a dangling link, are refused and left untouched. A save killed mid-way leaves
// nothing behind on Linux (the bytes are written to an unnamed file); the scratch files
// that saves of ended processes left in the folder are removed.
FileProblem ReplaceRegularFile(const std::filesystem::path& path, std::string_view bytes);
