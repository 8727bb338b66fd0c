#pragma once
// A small tmpfs mounted for one test (mounting needs root), unmounted and its folder
// removed when the test ends, also when it fails: nothing stays mounted.

#include <cerrno>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv::test {

class Tmpfs {
  public:
    Tmpfs(const std::string& path, const char* options) : path_(path) {
        ::mkdir(path_.c_str(), 0755);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options) == 0;
        error_ = mounted_ ? 0 : errno;
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;
    ~Tmpfs() {
        // Detached even while a file on it is still open.
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
        ::rmdir(path_.c_str());
    }

    bool mounted() const { return mounted_; }
    int error() const { return error_; } // the errno of a failed mount
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    bool mounted_ = false;
    int error_ = 0;
};

} // namespace qorv::test
