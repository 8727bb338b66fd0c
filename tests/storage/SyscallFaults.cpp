#include "SyscallFaults.h"

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cstdio>

namespace qorv::test {
namespace {

struct State {
    bool armed = false;
    std::vector<Fault> faults;
    std::array<int, 10> counts{};
    std::vector<std::string> calls;
    std::function<void(const char*)> beforeOpen;
    std::function<void(const std::string&)> beforeEachCall;
};

State& state() {
    static State s;
    return s;
}

// The definition the program would have bound without ours.
template <class Fn> Fn next(const char* name) {
    void* found = ::dlsym(RTLD_NEXT, name);
    if (!found) {
        std::fprintf(stderr, "no next definition of %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Fn>(found);
}

// Records the call and says whether the armed fault hits it.
const Fault* hit(Sys call, const char* name) {
    State& s = state();
    if (!s.armed) return nullptr;
    s.calls.emplace_back(name);
    if (s.beforeEachCall) {
        s.armed = false;
        s.beforeEachCall(name);
        s.armed = true;
    }
    const int count = ++s.counts[static_cast<int>(call)];
    for (const Fault& f : s.faults)
        if (f.call == call && count >= f.nth && count < f.nth + f.times) return &f;
    return nullptr;
}

int failWith(int err) {
    errno = err;
    return -1;
}

} // namespace

InjectedFaults::InjectedFaults(std::vector<Fault> faults) {
    state() = State{};
    state().faults = std::move(faults);
    state().armed = true;
}
InjectedFaults::~InjectedFaults() {
    state().armed = false;
}
const std::vector<std::string>& InjectedFaults::calls() const {
    return state().calls;
}
void InjectedFaults::beforeOpen(std::function<void(const char*)> action) {
    state().beforeOpen = std::move(action);
}
void InjectedFaults::beforeEachCall(std::function<void(const std::string&)> action) {
    state().beforeEachCall = std::move(action);
}

} // namespace qorv::test

using qorv::test::Fault;
using qorv::test::Sys;
namespace ft = qorv::test;

extern "C" {

int open(const char* path, int flags, ...) {
    static const auto real = ft::next<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if (ft::state().armed && ft::state().beforeOpen) ft::state().beforeOpen(path);
    if (const Fault* f = ft::hit(Sys::Open, "open")) return ft::failWith(f->err);
    return real(path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    static const auto real = ft::next<ssize_t (*)(int, const void*, size_t)>("write");
    if (const Fault* f = ft::hit(Sys::Write, "write")) {
        if (f->kind == Fault::TakesNothing) return 0;
        if (f->kind == Fault::TakesHalf) return real(fd, data, size / 2);
        return ft::failWith(f->err);
    }
    return real(fd, data, size);
}

int fsync(int fd) {
    static const auto real = ft::next<int (*)(int)>("fsync");
    struct stat st {};
    const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    if (const Fault* f = ft::hit(Sys::Fsync, folder ? "fsync folder" : "fsync file"))
        return ft::failWith(f->err);
    return real(fd);
}

// Linux releases the descriptor even when close fails: so does the injected failure.
// The folders a save walks to its file are held as O_PATH handles, no part of the file's
// own calls.
int close(int fd) {
    static const auto real = ft::next<int (*)(int)>("close");
    if ((::fcntl(fd, F_GETFL) & O_PATH) != 0) return real(fd);
    if (const Fault* f = ft::hit(Sys::Close, "close")) {
        real(fd);
        return ft::failWith(f->err);
    }
    return real(fd);
}

int rename(const char* from, const char* to) noexcept {
    static const auto real = ft::next<int (*)(const char*, const char*)>("rename");
    if (const Fault* f = ft::hit(Sys::Rename, "rename")) return ft::failWith(f->err);
    return real(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) noexcept {
    static const auto real = ft::next<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (const Fault* f = ft::hit(Sys::Linkat, "linkat")) return ft::failWith(f->err);
    return real(fromDir, from, toDir, to, flags);
}

int fchown(int fd, uid_t owner, gid_t group) noexcept {
    static const auto real = ft::next<int (*)(int, uid_t, gid_t)>("fchown");
    if (const Fault* f = ft::hit(Sys::Fchown, "fchown")) return ft::failWith(f->err);
    return real(fd, owner, group);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) noexcept {
    static const auto real =
        ft::next<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr");
    if (const Fault* f = ft::hit(Sys::Fsetxattr, "fsetxattr")) return ft::failWith(f->err);
    return real(fd, name, value, size, flags);
}

ssize_t llistxattr(const char* path, char* list, size_t size) noexcept {
    static const auto real = ft::next<ssize_t (*)(const char*, char*, size_t)>("llistxattr");
    if (const Fault* f = ft::hit(Sys::Llistxattr, "llistxattr")) return ft::failWith(f->err);
    return real(path, list, size);
}

int ftruncate(int fd, off_t length) noexcept {
    static const auto real = ft::next<int (*)(int, off_t)>("ftruncate");
    if (const Fault* f = ft::hit(Sys::Ftruncate, "ftruncate")) return ft::failWith(f->err);
    return real(fd, length);
}

} // extern "C"
