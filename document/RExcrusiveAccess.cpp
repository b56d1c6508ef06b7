#include "document/RExcrusiveAccess.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when another descriptor of the file behind fd is open, in any process, this one
// included: a write lease is granted only while fd is the file's one open descriptor. The lease
// is given back at once, so no other program's open ever waits for it. Where no lease can be
// had (a file of another owner, a file system without leases) nothing is known, and the flock
// alone decides as before.
bool openElsewhere(int fd)
{
    // An open by another program in the instant the lease is held breaks it, and the kernel
    // tells the holder by a signal; the default one, SIGIO, would end this program, SIGURG is
    // ignored unless a handler is installed.
    ::fcntl(fd, F_SETSIG, SIGURG);
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

// Opens an existing, writable file for writing and locks it exclusively without waiting.
// -1 when the file is missing, read-only by its mode bits, not writable for us, held, or open
// in another program (or elsewhere in this one) at this moment.
int exclusiveOpen(const QString& name)
{
    const QByteArray path = QFile::encodeName(name);
    if (path.isEmpty())
        return -1;
    struct stat st;
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    // Root may write anything; the mode bits still say whether the user meant it read-only.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return -1;
    // Non-blocking: a program that holds a lease on the file makes the open fail at once
    // instead of waiting until its lease is broken.
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || openElsewhere(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}

RExcrusiveAccess::~RExcrusiveAccess()
{
    ReleaseOwnFile();
}

bool RExcrusiveAccess::CheckFile(const QString& name)
{
    struct stat st;
    const QByteArray path = QFile::encodeName(name);
    if (::lstat(path.constData(), &st) != 0)
        return true;
    const int fd = exclusiveOpen(name);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int RExcrusiveAccess::CatchFile(const QString& name)
{
    if (handle != -1)
        return 1;
    const int fd = exclusiveOpen(name);
    if (fd < 0)
        return 2;
    handle = fd;
    heldName = name;
    return 0;
}

void RExcrusiveAccess::ReleaseOwnFile()
{
    if (handle == -1)
        return;
    ::close(handle);
    handle = -1;
    heldName.clear();
}

QString RExcrusiveAccess::GetOwnFileName() const
{
    return handle != -1 ? heldName : QString();
}
