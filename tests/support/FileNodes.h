#pragma once
// Paths that name something other than a regular file, for the readers and writers that
// must refuse them at once, and a watchdog that frees a reader stuck on a FIFO so that
// such a test fails instead of hanging; and the bytes of the files such tests compare.

#include <QFile>
#include <QTest>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The whole file, empty when it cannot be read; Path is a QString or a filesystem path.
template <class Path>
QByteArray fileBytes(const Path& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <class Path>
void writeFileBytes(const Path& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

enum class FileNode { Fifo, Device, Folder, DanglingLink, LinkToFile };

// The rows shared by the tests of each reader: the node and the word its message holds
// (empty: used as the file it points at).
inline void addFileNodeRows()
{
    QTest::addColumn<FileNode>("node");
    QTest::addColumn<QString>("why");
    QTest::newRow("FIFO") << FileNode::Fifo << "名前付きパイプ";
    QTest::newRow("link to a device") << FileNode::Device << "デバイス";
    QTest::newRow("folder") << FileNode::Folder << "フォルダー";
    QTest::newRow("dangling link") << FileNode::DanglingLink << "リンク先のない";
    QTest::newRow("link to a file") << FileNode::LinkToFile << QString();
}

// Makes the node at path: a device as a link to /dev/zero, as a user could make one; a
// dangling link to "nowhere" beside it; LinkToFile to file.
inline bool makeFileNode(FileNode node, const std::filesystem::path& path, const std::filesystem::path& file)
{
    if (node == FileNode::Fifo)
        return ::mkfifo(path.c_str(), 0600) == 0;
    std::error_code error;
    if (node == FileNode::Folder)
        std::filesystem::create_directory(path, error);
    else
        std::filesystem::create_symlink(node == FileNode::Device         ? std::filesystem::path("/dev/zero")
                                        : node == FileNode::DanglingLink ? path.parent_path() / "nowhere"
                                                                         : file,
                                        path, error);
    return !error;
}

// What is at path, links not followed.
inline std::filesystem::file_type nodeType(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::symlink_status(path, error).type();
}

// After a generous grace, keeps opening the FIFO for writing and closing it again, which
// ends a reader blocked in open() or read(); fired() then fails the test.
class FifoWatchdog {
public:
    explicit FifoWatchdog(std::filesystem::path fifo)
        : m_thread([this, fifo = std::move(fifo)](std::stop_token stop) {
            for (int tick = 0; tick < 2000 && !stop.stop_requested(); ++tick)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
                m_fired = true;
                if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
                    ::close(fd);
            }
        })
    {
    }
    bool fired() const { return m_fired; }

private:
    std::atomic<bool> m_fired{false};
    std::jthread m_thread;
};
