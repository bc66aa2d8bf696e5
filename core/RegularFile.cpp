#include "core/RegularFile.h"

#include "core/SystemFiles.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace fs = std::filesystem;

using Kind = FileProblem::Kind;

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
            SystemFiles::closeDescriptor(m_fd);
        m_fd = other.release();
    }
    return *this;
}

FileHandle::~FileHandle()
{
    if (m_fd >= 0)
        SystemFiles::closeDescriptor(m_fd);
}

int FileHandle::release()
{
    return std::exchange(m_fd, -1);
}

OpenedFile OpenRegularFileForReading(const fs::path& path)
{
    if (const FileProblem problem = SystemFiles::checkNamed(path))
        return {{}, problem};
    return SystemFiles::openChecked(path, SystemFiles::Mode::Read);
}

OpenedFile OpenRegularFileForUpdate(const fs::path& path)
{
    const FileProblem named = SystemFiles::checkNamed(path);
    if (named.kind == Kind::Missing) {
        OpenedFile created = SystemFiles::openChecked(path, SystemFiles::Mode::CreateNew);
        created.created = !created.problem;
        if (created.problem.kind != Kind::SystemError || created.problem.error != EEXIST)
            return created;
        if (const FileProblem now = SystemFiles::checkNamed(path))
            return {{}, now};
    } else if (named) {
        return {{}, named};
    }
    return SystemFiles::openChecked(path, SystemFiles::Mode::Update);
}

FileProblem ReadAtStart(const FileHandle& file, void* data, std::size_t size, std::size_t& got)
{
    got = 0;
    if (const FileProblem problem = SystemFiles::seekToStart(file.fd()))
        return problem;
    while (got < size) {
        std::size_t n = 0;
        if (const FileProblem problem = SystemFiles::readSome(file.fd(), static_cast<char*>(data) + got, size - got, n))
            return problem;
        if (n == 0)
            break;
        got += n;
    }
    return {};
}

FileProblem WriteAtStart(const FileHandle& file, std::string_view bytes)
{
    if (const FileProblem problem = SystemFiles::seekToStart(file.fd()))
        return problem;
    return SystemFiles::writeAll(file.fd(), bytes);
}

FileBytes ReadRegularFile(const fs::path& path, std::size_t maxBytes)
{
    OpenedFile opened = OpenRegularFileForReading(path);
    if (opened.problem)
        return {{}, opened.problem};
    const int fd = opened.file.fd();
    const long long size = SystemFiles::sizeOf(fd);
    if (size > 0 && std::size_t(size) > maxBytes)
        return {{}, {Kind::TooLarge}};

    FileBytes result;
    result.bytes.reserve(size > 0 ? std::size_t(size) : 0);
    std::array<char, 65536> buffer;
    for (;;) {
        // One byte past the limit is enough to know the file is too large; the size said
        // before may be wrong by now.
        const std::size_t room = std::min(buffer.size(), maxBytes + 1 - result.bytes.size());
        std::size_t got = 0;
        if (const FileProblem problem = SystemFiles::readSome(fd, buffer.data(), room, got))
            return {{}, problem};
        if (got == 0)
            return result;
        result.bytes.append(buffer.data(), got);
        if (result.bytes.size() > maxBytes)
            return {{}, {Kind::TooLarge}};
    }
}

OpenedFile SystemFiles::createScratch(const fs::path& folder, fs::path& scratch)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        scratch = folder / (".miravo-save-" + std::to_string(processId()) + "-" + std::to_string(counter++) + ".tmp");
        OpenedFile opened = openChecked(scratch, Mode::CreateScratch);
        if (opened.problem.kind != Kind::SystemError || opened.problem.error != EEXIST)
            return opened;
    }
    return {{}, {Kind::SystemError, EEXIST}};
}
