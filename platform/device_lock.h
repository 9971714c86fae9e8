#pragma once
// One program at a time per device root: an advisory lock on a file in the root,
// held for the life of the object and released by the system if the program dies.
// The holder writes what it is into the file, so a program it refuses can say
// what is running.

#include <filesystem>
#include <string>

class DeviceLock {
public:
    enum class Outcome {
        Held,           // this object now holds the root
        HeldElsewhere,  // another program (or another DeviceLock) holds it
        Failed,         // the lock file cannot be made or opened in the root
    };
    // What holds a device.
    enum class Holder { Program, Import, Restore };

    DeviceLock() = default;
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    // Takes the lock of `root` without waiting, as `holder`; the root must exist.
    Outcome Acquire(const std::filesystem::path& root, Holder holder = Holder::Program);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }
    // Why the last Acquire failed: the system's error number (ELOOP for a link
    // in the lock file's place, EACCES for someone else's file, ...).
    int FailureError() const { return error_; }
    // After HeldElsewhere: what holds the root, as its lock file says.
    Holder OtherHolder() const { return other_; }

    // Whether a program other than this one holds the lock of `root` now.
    static bool HeldByAnother(const std::filesystem::path& root);

    // The lock file's name inside the root.
    static constexpr const char* kFileName = "vantrel.lock";

private:
    int fd_ = -1;
    int error_ = 0;
    Holder other_ = Holder::Program;
    std::filesystem::path root_;
};

// The start of a sentence telling what holds a device: "Vantrel is running",
// "An import is running", "A restore is running".
std::u16string RunningOnDevice(DeviceLock::Holder holder);
