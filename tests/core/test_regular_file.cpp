// A full disk while replacing a file or making the settings file: named as such, the
// earlier file kept, no scratch or half-made file left.
#include "core/EnvSettings.h"
#include "core/RegularFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <functional>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kNoMount = 77;

void writeProcFile(const char* path, const std::string& text)
{
    if (const int fd = ::open(path, O_WRONLY); fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
        ::close(fd);
    }
}

// Runs check in a child process on a 64 KiB tmpfs mounted on folder in a mount namespace
// of its own (in a user namespace too where one can be made). Returns the child's exit
// status: 0 when check held, kNoMount when no file system could be mounted here.
int onTinyDisk(const fs::path& folder, const std::function<bool(const fs::path&)>& check)
{
    const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            writeProcFile("/proc/self/setgroups", "deny");
            writeProcFile("/proc/self/uid_map", "0 " + uid + " 1");
            writeProcFile("/proc/self/gid_map", "0 " + gid + " 1");
        } else if (::unshare(CLONE_NEWNS) != 0) {
            ::_exit(kNoMount);
        }
        // Private first, so that the mount never shows outside this process.
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(kNoMount);
        ::_exit(check(folder) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

class TestRegularFile : public QObject {
    Q_OBJECT
private slots:
    void fullDisk()
    {
        QTemporaryDir dir;
        const int status = onTinyDisk(fs::path(dir.path().toStdString()), [](const fs::path& folder) {
            const fs::path wave = folder / "wave.csv";
            const std::string earlier(1000, 'e');
            const bool saved = !ReplaceRegularFile(wave, earlier);
            const FileProblem replaced = ReplaceRegularFile(wave, std::string(200 * 1024, 'n'));
            const bool alone = std::distance(fs::directory_iterator(folder), fs::directory_iterator()) == 1;
            std::ofstream(folder / "filler", std::ios::binary) << std::string(64 * 1024, 'f');
            const std::string settings = WriteSettings(folder / "MV_UTL.ENV", EnvSettings{});
            return saved && replaced.kind == FileProblem::Kind::DiskFull && contentOf(wave) == earlier && alone
                && settings.find(FileProblemText({FileProblem::Kind::DiskFull})) != std::string::npos
                && !fs::exists(folder / "MV_UTL.ENV");
        });
        if (status == kNoMount)
            QSKIP("no mount namespace for a small file system here");
        QCOMPARE(status, 0);
    }
};

QTEST_APPLESS_MAIN(TestRegularFile)
#include "test_regular_file.moc"
