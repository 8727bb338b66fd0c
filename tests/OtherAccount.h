#pragma once
// Another local account for the attack tests: what she plants (links, files, hard links, a
// folder put in place of ours) is made by a real process of the user nobody, started through
// setpriv, so the kernel applies its own rules for that account as it would to an attacker.
// Switching needs root; elsewhere a test that needs her is skipped with the reason.

#include <grp.h>
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
    if (!::getpwnam("daemon")) return "there is no account daemon (our own unprivileged one)";
    if (::access("/usr/bin/setpriv", X_OK) != 0) return "there is no setpriv (util-linux)";
    return "";
}

inline uid_t otherAccountId() {
    return ::getpwnam("nobody")->pw_uid;
}

// An unprivileged account that stands for us, where the test runs as root and every
// permission check would pass: daemon, no account of hers.
inline uid_t unprivilegedAccountId() {
    return ::getpwnam("daemon")->pw_uid;
}

// What `work` returns, run in a child process as the account `uid` (its group, no other)
// unless that is us already: the permission checks the kernel makes for an unprivileged
// account apply. For test programs without threads of their own.
template <typename Work> std::string asAccount(uid_t uid, Work&& work) {
    if (uid == ::geteuid()) return work();
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "(no pipe)";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const passwd* account = ::getpwuid(uid);
        if (!account || ::setgroups(0, nullptr) != 0 ||
            ::setresgid(account->pw_gid, account->pw_gid, account->pw_gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            ::_exit(1);
        const std::string said = work();
        const bool whole = ::write(pipeEnds[1], said.data(), said.size()) == ssize_t(said.size());
        ::_exit(whole ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, std::size_t(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? said : "(the child failed)";
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
