#pragma once
// Fault injection for the file tests. The storage test program defines the system calls
// a save makes (open, write, fsync, close, rename, linkat, fchown, fsetxattr,
// llistxattr, ftruncate) itself, so the dynamic linker binds every call of the program and its
// libraries to these definitions before libc's (or the sanitizer's); each passes on to
// the next definition unless a fault is armed. No LD_PRELOAD, so the same works in the
// sanitizer build, whose runtime must come first among preloaded libraries.

#include <functional>
#include <string>
#include <vector>

namespace qorv::test {

enum class Sys {
    Open,
    Write,
    Fsync,
    Close,
    Rename,
    Linkat,
    Fchown,
    Fsetxattr,
    Llistxattr,
    Ftruncate
};

// What the nth call (counted from 1 while armed) of one system call, and the `times` - 1
// calls after it, do instead.
struct Fault {
    enum Kind { Fails, TakesNothing, TakesHalf };
    Sys call;
    int nth = 1;
    Kind kind = Fails;
    int err = 0; // errno of a call that Fails
    int times = 1;
};

// While alive, injects the faults (if any) and records the order of the calls made.
class InjectedFaults {
  public:
    explicit InjectedFaults(std::vector<Fault> faults = {});
    explicit InjectedFaults(const Fault& fault) : InjectedFaults(std::vector<Fault>{fault}) {}
    InjectedFaults(const InjectedFaults&) = delete;
    InjectedFaults& operator=(const InjectedFaults&) = delete;
    ~InjectedFaults();

    // The calls made so far: "open", "write", "fsync file", "fsync folder", "close",
    // "rename", "linkat", "fchown", "fsetxattr", "llistxattr", "ftruncate".
    const std::vector<std::string>& calls() const;
    // Runs just before each open() of the named path, e.g. to swap the file.
    void beforeOpen(std::function<void(const char* path)> action);
    // Runs just before each call recorded, with its name as in calls(), to look at the
    // files while a save runs. No fault is injected into what it does.
    void beforeEachCall(std::function<void(const std::string& call)> action);
};

} // namespace qorv::test
