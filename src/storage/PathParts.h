#pragma once
// A path's folder and last name, taken apart as the kernel would: at the last slash.

#include <string>

namespace qorv {

// "dir/" for "dir/name", "" for a bare "name".
inline std::string folderPrefix(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

inline std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder to open or ask about: "." for a bare name, "/" for a name in the root.
inline std::string folderOf(const std::string& path) {
    const std::string prefix = folderPrefix(path);
    if (prefix.empty()) return ".";
    return prefix.size() == 1 ? prefix : prefix.substr(0, prefix.size() - 1);
}

} // namespace qorv
