#pragma once
#include <QString>

// The hold on the open document file: the file is kept open for writing with an exclusive
// flock for as long as it is held, so that no second holder, in this process or another,
// can take it. Only existing files can be held, and a file whose mode bits grant no write
// permission counts as read-only (also for root). A file that any other program has open when
// it is tested or taken is refused as well (a write lease, tried and given back at once, tells
// so for a file of the user's own on a file system with leases); other programs that open the
// file later are not kept out, since Linux has no mandatory lock.
class RExcrusiveAccess {
public:
    RExcrusiveAccess() = default;
    ~RExcrusiveAccess();
    RExcrusiveAccess(const RExcrusiveAccess&) = delete;
    RExcrusiveAccess& operator=(const RExcrusiveAccess&) = delete;

    // True when no such file exists, or when it could be held at this moment (the trial is
    // given up at once). The file this object holds tests as not free.
    static bool CheckFile(const QString& name);
    // 0 held; 1 a file is held already (nothing changes); 2 the exclusive open failed.
    int CatchFile(const QString& name);
    // Closes the held file, if any, and forgets its name.
    void ReleaseOwnFile();
    // The held file's name, or an empty string.
    QString GetOwnFileName() const;

private:
    QString heldName;
    int handle = -1;
};
