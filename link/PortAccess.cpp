#include "link/PortAccess.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString groupName(gid_t gid)
{
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::number(gid);
    return QString::fromLocal8Bit(found->gr_name);
}

QString commandOf(const std::string& pidDir)
{
    QFile comm(QString::fromLocal8Bit(pidDir + "/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readLine(256)).trimmed();
}

// Whether one of the process's descriptors is the character device `device`.
bool holds(const std::string& pidDir, dev_t device)
{
    const std::string fdDir = pidDir + "/fd";
    DIR* fds = ::opendir(fdDir.c_str());
    if (!fds)
        return false;
    bool found = false;
    while (const dirent* fd = ::readdir(fds)) {
        struct stat target {};
        if (fd->d_name[0] != '.' && ::stat((fdDir + '/' + fd->d_name).c_str(), &target) == 0
            && S_ISCHR(target.st_mode) && target.st_rdev == device) {
            found = true;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

PortAccess missing()
{
    PortAccess access;
    access.kind = PortAccess::Kind::Missing;
    return access;
}

} // namespace

PortAccess CheckPortAccess(const QString& device)
{
    const QByteArray path = QFile::encodeName(device);
    struct stat node {};
    if (::stat(path.constData(), &node) != 0)
        return missing();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    PortAccess access;
    if (errno == EACCES || errno == EPERM) {
        const mode_t groupReadWrite = S_IRGRP | S_IWGRP;
        access.kind = PortAccess::Kind::Permission;
        access.group = groupName(node.st_gid);
        access.groupMayOpen = (node.st_mode & groupReadWrite) == groupReadWrite;
    } else if (errno == EBUSY) {
        access.kind = PortAccess::Kind::Busy;
        access.holder = FindPortHolder(device);
    } else if (errno == ENOENT || errno == ENXIO || errno == ENODEV) {
        access.kind = PortAccess::Kind::Missing;
    }
    // Anything else is left to the port's own open, which says what it can.
    return access;
}

std::optional<PortHolder> FindPortHolder(const QString& device)
{
    struct stat node {};
    if (::stat(QFile::encodeName(device).constData(), &node) != 0 || !S_ISCHR(node.st_mode))
        return std::nullopt;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return std::nullopt;
    const qint64 self = ::getpid();
    std::optional<PortHolder> first;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const qint64 pid = std::strtoll(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self || (first && pid > first->pid))
            continue;
        const std::string pidDir = std::string("/proc/") + entry->d_name;
        if (holds(pidDir, node.st_rdev))
            first = PortHolder{pid, commandOf(pidDir)};
    }
    ::closedir(proc);
    return first;
}

#else

// Elsewhere the port's own open is the only check.
PortAccess CheckPortAccess(const QString&)
{
    return {};
}

std::optional<PortHolder> FindPortHolder(const QString&)
{
    return std::nullopt;
}

#endif
