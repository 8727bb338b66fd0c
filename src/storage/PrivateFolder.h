#pragma once
// The private folder where running editors keep their recovery files and locks. It is
// checked once, when it is opened; every access after that goes through its descriptor,
// so another account that can rename the folder or one above it changes nothing we use.

#include "storage/FileDescriptor.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace qorv {

// $XDG_STATE_HOME/qorvedit when XDG_STATE_HOME is an absolute path, otherwise
// $HOME/.local/state/qorvedit; empty when neither is known.
std::string stateFolderFromEnvironment();

class PrivateFolder {
  public:
    // Opens `path` (absolute) one folder at a time from the root, making missing ones 0700,
    // and makes it a folder only we can enter. Refused when a folder on the way could be
    // changed by another account (it, or a link on the way, is another account's or open
    // to others' writing, unless sticky and what we step into is ours), or when the folder
    // itself is not ours. Throws std::runtime_error saying what is wrong.
    explicit PrivateFolder(std::string path);

    const std::string& path() const { return path_; }
    // `name` in the folder, for messages.
    std::string pathOf(std::string_view name) const { return path_ + "/" + std::string(name); }

    // open() of `name` in the folder; a link there is never followed.
    int openFile(const std::string& name, int flags, mode_t mode = 0600) const;
    // What `name` is (a link itself, not what it names); none when it cannot be seen.
    std::optional<struct stat> statOf(const std::string& name) const;
    // 0 or the errno.
    int rename(const std::string& from, const std::string& to, unsigned flags = 0) const;
    int remove(const std::string& name) const;
    std::vector<std::string> names() const;
    // Makes `bytes` the content of a file of ours named `name` (mode 0600): written whole
    // under a fresh name, then renamed over the old name, which is replaced, never
    // written through. Throws IoError.
    void writeFile(const std::string& name, std::string_view bytes) const;

  private:
    std::string path_;
    FileDescriptor folder_;
};

} // namespace qorv
