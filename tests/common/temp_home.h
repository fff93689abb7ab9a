// A fresh home folder for one test: the registry and the device files start empty, and the
// folder is removed afterwards.
#pragma once

#include <platform/boot.h>
#include <platform/registry.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TempHome {
  public:
    TempHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrel-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        SetPlatformHome(path_);
        ReloadRegistry();
    }
    ~TempHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Path() const { return path_; }
    std::string RegistryFile() const { return path_ + "/registry.reg"; }
    // Host path of a device file, such as "Program Files/Tavrel/X.bmp".
    std::string DeviceFile(const std::string& relative) const {
        return path_ + "/device/" + relative;
    }

  private:
    std::string path_;
};
