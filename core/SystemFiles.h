#pragma once
// The system calls RegularFile.cpp is built on, one set for each system:
// RegularFilePosix.cpp and RegularFileWindows.cpp. Used inside core/ only.

#include "core/RegularFile.h"

namespace SystemFiles {

enum class Mode {
    Read,
    Update,        // read and write in place
    CreateNew,     // read and write a file that must not exist yet (a link there is refused)
    CreateScratch, // write a new file that must not exist yet
};

// What path names, links followed: None for a regular file.
FileProblem checkNamed(const std::filesystem::path& path);

// Opens path and checks what the opened descriptor is, because the name may have been
// swapped since the check by name. Never waits on a FIFO.
OpenedFile openChecked(const std::filesystem::path& path, Mode mode);

// The size of the open file, or -1 when the system does not say.
long long sizeOf(int fd);

FileProblem seekToStart(int fd);

// Up to size bytes from the current position; got is 0 at the end of the file.
FileProblem readSome(int fd, char* data, std::size_t size, std::size_t& got);

// All of bytes from the current position; a write the system cuts short means a full disk.
FileProblem writeAll(int fd, std::string_view bytes);

void closeDescriptor(int fd);

int processId();

// A new file in folder for a save's text, so the final rename stays on one file system.
OpenedFile createScratch(const std::filesystem::path& folder, std::filesystem::path& scratch);

} // namespace SystemFiles
