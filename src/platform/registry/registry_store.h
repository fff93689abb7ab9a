// The process's registry: the tree, loaded from <home>/registry.reg on first use, and written
// back atomically (temporary file, fsync, rename) after every change.
#pragma once

#include "registry_file.h"

#include <mutex>
#include <string>

class RegistryStore {
  public:
    static RegistryStore& Instance();

    // Takes the lock and makes sure the tree is the one of the current home folder.
    std::unique_lock<std::mutex> Acquire();
    RegistryRoots& Roots() { return roots_; }
    // Writes the tree; false (with the file left as it was) when that fails. Lock held.
    bool Persist();
    // Forgets the tree so the next use reads the file again, as after a restart.
    void Reload();
    // From now on Persist fails and leaves the file alone.
    void RefuseWrites();

  private:
    void LoadLocked();

    std::mutex mutex_;
    RegistryRoots roots_;
    std::string loadedPath_;
    bool refuseWrites_ = false;
    bool refusalReported_ = false;
};
