#include "document/RExcrusiveAccess.h"

#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens an existing, writable file for writing and locks it exclusively without waiting.
// -1 when the file is missing, read-only by its mode bits, not writable for us, or held.
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
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
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
