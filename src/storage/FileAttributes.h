#pragma once
// The parts of a file's identity that a replacement must take over: owner, group,
// mode, and its extended attributes (which hold its ACL too).

#include <string>
#include <sys/stat.h>

namespace qorv {

// Whether this process may write the file `path` described by `st`. For an ordinary
// user the kernel decides by the bits that apply to the effective ids (owner, group or
// others) and any ACL; root passes every such check, so for root a file without any
// write bit counts as read-only.
bool mayWriteFile(const std::string& path, const struct stat& st);

// Whether this process may create and remove names in `folder`.
bool mayWriteFolder(const std::string& folder);

// Whether `folder` is append-only (chattr +a): names can be made in it, but never
// removed or renamed away.
bool isAppendOnly(const std::string& folder);

// Whether a new file made by this process can be given the owner and group of `st`.
bool canKeepOwner(const struct stat& st);

// Gives the open file `fd` the owner, group, extended attributes (its ACL among them)
// and mode of the file `from` described by `st`, and drops attributes `from` lacks
// (such as an ACL inherited from the folder). False when any of it cannot be done.
bool takeOverIdentity(int fd, const std::string& from, const struct stat& st);

} // namespace qorv
