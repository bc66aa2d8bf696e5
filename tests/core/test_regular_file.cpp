// A full disk while replacing a file or making the settings file: named as such, the
// earlier file kept, no scratch or half-made file left. A save killed mid-way: the earlier
// file or the new one, and no scratch file once the folder is saved into again.
#include "core/EnvSettings.h"
#include "core/RegularFile.h"
#include "support/FileNodes.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fstream>
#include <functional>
#include <thread>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kNoMount = 77;

// Runs check in a child process with a file system of size mounted on where, in a mount
// namespace of its own (in a user namespace too where one can be made). Returns the
// child's exit status: 0 when check held, kNoMount when nothing could be mounted here.
int withMount(const fs::path& where, const char* size, const std::function<bool()>& check)
{
    const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " + uid + " 1";
            std::ofstream("/proc/self/gid_map") << "0 " + gid + " 1";
        } else if (::unshare(CLONE_NEWNS) != 0) {
            ::_exit(kNoMount);
        }
        // Private first, so that the mount never shows outside this process.
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (::mount("tmpfs", where.c_str(), "tmpfs", 0, size) != 0)
            ::_exit(kNoMount);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::size_t entriesIn(const fs::path& folder)
{
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Saves a large file in a child process killed mid-way (once its scratch file shows, when
// it has a name), then saves into the folder again. The scratch file of another, living
// process is kept.
bool saveKilledMidway(const fs::path& folder, bool named)
{
    const fs::path wave = folder / "wave.csv", living = folder / ".miravo-save-1-0.tmp";
    const std::string earlier(1000, 'e'), large(64 << 20, 'n');
    if (ReplaceRegularFile(wave, earlier))
        return false;
    const pid_t saver = ::fork();
    if (saver == 0)
        ::_exit(ReplaceRegularFile(wave, large) ? 1 : 0);
    for (int tick = 0; tick < (named ? 500 : 3) && entriesIn(folder) == 1; ++tick)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(saver, SIGKILL);
    ::waitpid(saver, nullptr, 0);
    const std::string after = fileBytes(wave).toStdString();
    const bool whole = after == earlier || after == large;
    const bool leftNothing = named || entriesIn(folder) == 1;
    std::ofstream(living) << "x";
    return whole && leftNothing && !ReplaceRegularFile(wave, "later") && fileBytes(wave) == "later"
        && entriesIn(folder) == 2 && fs::exists(living);
}

} // namespace

class TestRegularFile : public QObject {
    Q_OBJECT
private slots:
    void fullDisk()
    {
        QTemporaryDir dir;
        const fs::path folder = dir.path().toStdString();
        const int status = withMount(folder, "size=64k", [&folder] {
            const fs::path wave = folder / "wave.csv";
            const std::string earlier(1000, 'e');
            const bool saved = !ReplaceRegularFile(wave, earlier);
            const FileProblem replaced = ReplaceRegularFile(wave, std::string(200 * 1024, 'n'));
            const bool alone = entriesIn(folder) == 1;
            std::ofstream(folder / "filler", std::ios::binary) << std::string(64 * 1024, 'f');
            const std::string settings = WriteSettings(folder / "MV_UTL.ENV", EnvSettings{});
            return saved && replaced.kind == FileProblem::Kind::DiskFull && fileBytes(wave).toStdString() == earlier && alone
                && settings.find(FileProblemText({FileProblem::Kind::DiskFull})) != std::string::npos
                && !fs::exists(folder / "MV_UTL.ENV");
        });
        if (status == kNoMount)
            QSKIP("no mount namespace for a small file system here");
        QCOMPARE(status, 0);
    }

    // With /proc, the bytes go to an unnamed file that a kill leaves nowhere; without it
    // (hidden here), to a named scratch file, which the next save removes.
    void killedSave_data()
    {
        QTest::addColumn<bool>("hideProc");
        QTest::newRow("unnamed file") << false;
        QTest::newRow("named scratch file") << true;
    }
    void killedSave()
    {
        QFETCH(bool, hideProc);
        QTemporaryDir dir;
        const fs::path folder = dir.path().toStdString();
        const auto save = [&folder, hideProc] { return saveKilledMidway(folder, hideProc); };
        const int status = hideProc ? withMount("/proc", "size=4k", save) : save() ? 0 : 1;
        if (status == kNoMount)
            QSKIP("no mount namespace to hide /proc here");
        QCOMPARE(status, 0);
    }
};

QTEST_APPLESS_MAIN(TestRegularFile)
#include "test_regular_file.moc"
