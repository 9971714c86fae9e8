#pragma once
// One program at a time per device root: an advisory lock on a file in the root,
// held for the life of the object and released by the system if the program dies.

#include <filesystem>

class DeviceLock {
public:
    enum class Outcome {
        Held,           // this object now holds the root
        HeldElsewhere,  // another program (or another DeviceLock) holds it
        Failed,         // the lock file cannot be made or opened in the root
    };

    DeviceLock() = default;
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    // Takes the lock of `root` without waiting; the root must exist.
    Outcome Acquire(const std::filesystem::path& root);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }
    // Why the last Acquire failed: the system's error number (ELOOP for a link
    // in the lock file's place, EACCES for someone else's file, ...).
    int FailureError() const { return error_; }

    // The lock file's name inside the root.
    static constexpr const char* kFileName = "vantrel.lock";

private:
    int fd_ = -1;
    int error_ = 0;
};
