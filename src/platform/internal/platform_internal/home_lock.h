// The owner of a home folder: the one process that holds an advisory lock on <home>/instance.lock
// while it runs. Only the owner writes the home's registry and serves its single-instance link;
// another process started on the same home finds the lock taken. The kernel drops the lock when
// the owner ends, however it ends, so a crash leaves nothing to clean up.
#pragma once

#include <string>

class HomeLock {
  public:
    // Creates the home folder and the lock file when they are missing and tries the lock once.
    explicit HomeLock(const std::string& home);
    ~HomeLock();
    HomeLock(const HomeLock&) = delete;
    HomeLock& operator=(const HomeLock&) = delete;

    // False when another process holds the lock. A home that cannot hold a lock file at all (a
    // folder that cannot be created or written) counts as owned, with a warning on stderr: the
    // registry cannot be written there either.
    bool Owned() const { return owned_; }
    // The owner's process id as it wrote it into the file, or 0 when it is not known.
    long OwnerProcess() const { return ownerProcess_; }

  private:
    int fd_ = -1;
    bool owned_ = true;
    long ownerProcess_ = 0;
};
