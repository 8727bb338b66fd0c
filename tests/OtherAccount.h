#pragma once
// Another local account for the attack tests: what she plants (links, files, hard links, a
// folder put in place of ours) is made by a real process of the user nobody, started through
// setpriv, so the kernel applies its own rules for that account as it would to an attacker.
// Switching needs root; elsewhere a test that needs her is skipped with the reason.

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace qorv::test {

// Empty when the other account can act here; otherwise why she cannot.
inline std::string whyNoOtherAccount() {
    if (::geteuid() != 0) return "needs root to act as another account (the user nobody)";
    if (!::getpwnam("nobody")) return "there is no account nobody";
    if (::access("/usr/bin/setpriv", X_OK) != 0) return "there is no setpriv (util-linux)";
    return "";
}

inline uid_t otherAccountId() {
    return ::getpwnam("nobody")->pw_uid;
}

// Runs the shell lines `script` as nobody (group nogroup, no other group), stopping at the
// first failing line, with `args` as $1, $2...: paths need no quoting. Its exit status.
inline int asOtherAccount(const std::string& script, const std::vector<std::string>& args = {}) {
    std::vector<std::string> words = {
        "setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", "sh", "-ec", script,
        "sh"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/usr/bin/setpriv", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace qorv::test

// Skips the test, saying why, where the other account cannot act.
#define QORV_NEEDS_OTHER_ACCOUNT()                                                                 \
    if (const std::string why = ::qorv::test::whyNoOtherAccount(); why.empty()) {                  \
    } else                                                                                         \
        GTEST_SKIP() << why
