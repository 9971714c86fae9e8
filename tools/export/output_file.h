#pragma once
// Where a command's output goes, every write checked. "-" is standard output;
// a device or pipe (/dev/null, a FIFO) is written as it is; any other name
// gets a new file made whole in a private folder beside it and moved into
// place only once complete, so a failed write never leaves half a file nor
// spoils the one it was to replace. An existing file is replaced only when
// the command was asked to.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Buffered writes to one open file descriptor; any failure throws a Failure
// naming `name` and the system's reason.
class FdWriter {
public:
    FdWriter(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    void Write(std::string_view bytes);
    void Flush();

private:
    void WriteAll(std::string_view bytes);

    int fd_;
    std::string name_;
    std::string buffer_;
};

// The process's standard output; nothing else writes to it.
FdWriter& StandardOutput();

class OutputFile {
public:
    // Refuses (throws a Failure) an existing file unless `replace`, a folder,
    // and a name it cannot write. New files get `mode` less the umask.
    OutputFile(const std::string& name, bool replace, mode_t mode = 0666);
    // An output never finished is removed, and what it would replace is kept.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& Name() const { return name_; }
    bool IsStandardOutput() const { return name_ == "-"; }

    void Write(std::string_view bytes);
    // For a writer that makes its file itself: a path in the private folder
    // that no file holds yet. Finish() then puts that file in place.
    std::filesystem::path FileToMake();
    // Flushes, puts the new file in place and checks that every byte landed.
    void Finish();

private:
    std::filesystem::path Staging();
    void CopyMadeFile();
    void MoveIntoPlace();

    std::string name_;
    bool replace_;
    mode_t mode_;
    std::filesystem::path target_;  // the file to make or replace; empty when written directly
    FdWriter* direct_ = nullptr;    // standard output, a device or a pipe
    int directFd_ = -1;
    std::filesystem::path folder_;  // the private folder the new file is made in
    int stagedFd_ = -1;
    std::optional<FdWriter> staged_;
    bool madeByWriter_ = false;
    std::optional<FdWriter> device_;
};
