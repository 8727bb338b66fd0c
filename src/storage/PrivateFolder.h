#pragma once
// The private folder where running editors keep their recovery files and locks.

#include <string>

namespace qorv {

// $XDG_STATE_HOME/qorvedit when XDG_STATE_HOME is an absolute path, otherwise
// $HOME/.local/state/qorvedit; empty when neither is known.
std::string stateFolderFromEnvironment();

// Makes `path` exist as a folder only we can enter (0700), creating missing parents with
// the same mode. An existing folder must be a real folder (not a link) owned by us; a
// wider mode is narrowed. Throws std::runtime_error saying what is wrong.
void preparePrivateFolder(const std::string& path);

} // namespace qorv
