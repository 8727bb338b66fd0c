#pragma once
// --git-setup: a git clone (or, with --global, the user's git) set up for levels once, as
// `git lfs install` sets one up for large files.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// --git-setup [--global]: QorvEdit's diff and merge drivers in the git configuration, and the
// attribute lines that give levels to them, and keep git's text conversion off them, in the
// clone's .gitattributes (or the user's attributes file), each only where it is missing.
// 0 done; git's failures are thrown as EditorError.
int runGitSetup(const Invocation& invocation, Console& console);

} // namespace app
