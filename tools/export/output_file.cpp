#include "tools/export/output_file.h"

#include "tools/export/failure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlock = 1 << 16;

[[noreturn]] void CannotWrite(const std::string& name, int error) {
    if (error == EPIPE) throw Failure{};  // the reader went away: nobody to tell
    Fail("cannot write " + name + ": " + std::strerror(error));
}

void CloseChecked(int& fd, const std::string& name) {
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0) CannotWrite(name, errno);
}

// Makes a rename or link lasting: the folder's entry is on disk too.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Moves `made` to `target`, which must not exist, even on a file system
// without an exclusive rename; errno tells why not.
bool MoveToNewName(const fs::path& made, const fs::path& target) {
    if (::renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(made.c_str(), target.c_str()) == 0) return true;
    if (errno != EPERM && errno != EOPNOTSUPP) return false;
    struct stat entry {};
    if (::lstat(target.c_str(), &entry) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(made.c_str(), target.c_str()) == 0;
}

}  // namespace

void FdWriter::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) CannotWrite(name_, put < 0 ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

void FdWriter::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBlock) Flush();
    if (bytes.size() >= kBlock) WriteAll(bytes);
    else buffer_.append(bytes);
}

void FdWriter::Flush() {
    WriteAll(buffer_);
    buffer_.clear();
}

FdWriter& StandardOutput() {
    static FdWriter out(STDOUT_FILENO, "standard output");
    return out;
}

OutputFile::OutputFile(const std::string& name, bool replace, mode_t mode)
    : name_(name), replace_(replace), mode_(mode) {
    if (IsStandardOutput()) {
        direct_ = &StandardOutput();
        return;
    }
    struct stat entry {};
    if (::lstat(name.c_str(), &entry) != 0) {
        if (errno != ENOENT) CannotWrite(name, errno);
        target_ = name;
        return;
    }
    struct stat file {};
    const bool reached = ::stat(name.c_str(), &file) == 0;
    if (reached && S_ISDIR(file.st_mode)) Fail(name + " is a folder");
    if (reached && !S_ISREG(file.st_mode)) {
        directFd_ = ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (directFd_ < 0) CannotWrite(name, errno);
        device_.emplace(directFd_, name);
        direct_ = &*device_;
        return;
    }
    if (!replace) Fail(name + " already exists; give --force to replace it");
    // Through a link the file it names is replaced, and the link stays.
    std::error_code error;
    target_ = reached ? fs::canonical(name, error) : fs::path(name);
    if (error) target_ = name;
}

OutputFile::~OutputFile() {
    if (stagedFd_ >= 0) ::close(stagedFd_);
    if (directFd_ >= 0) ::close(directFd_);
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
}

fs::path OutputFile::Staging() {
    if (folder_.empty()) {
        std::error_code error;
        fs::path parent = target_.empty() ? fs::temp_directory_path(error) : target_.parent_path();
        if (parent.empty()) parent = ".";
        std::string pattern = (parent / ".vantrel-export-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) CannotWrite(name_, errno);
        folder_ = pattern;
    }
    return folder_ / "file";
}

void OutputFile::Write(std::string_view bytes) {
    if (direct_) return direct_->Write(bytes);
    if (!staged_) {
        stagedFd_ = ::open(Staging().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
        if (stagedFd_ < 0) CannotWrite(name_, errno);
        staged_.emplace(stagedFd_, name_);
    }
    staged_->Write(bytes);
}

fs::path OutputFile::FileToMake() {
    madeByWriter_ = true;
    return Staging();
}

void OutputFile::CopyMadeFile() {
    const fs::path made = Staging();
    const int in = ::open(made.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) CannotWrite(name_, errno);
    std::string block(kBlock, '\0');
    for (;;) {
        const ssize_t got = ::read(in, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(in);
            Fail("cannot read " + made.string() + ": " + std::strerror(error));
        }
        if (got == 0) break;
        try {
            direct_->Write(std::string_view(block.data(), static_cast<std::size_t>(got)));
        } catch (...) {
            ::close(in);
            throw;
        }
    }
    ::close(in);
}

void OutputFile::MoveIntoPlace() {
    const fs::path made = Staging();
    const bool moved = replace_ ? ::rename(made.c_str(), target_.c_str()) == 0 : MoveToNewName(made, target_);
    if (!moved) {
        if (errno == EEXIST) Fail(name_ + " already exists; give --force to replace it");
        CannotWrite(name_, errno);
    }
    SyncFolder(target_.parent_path());
}

void OutputFile::Finish() {
    if (direct_) {
        if (madeByWriter_) CopyMadeFile();
        direct_->Flush();
        if (directFd_ >= 0) CloseChecked(directFd_, name_);
        return;
    }
    if (!madeByWriter_ && !staged_) Write({});  // an empty output is still a file
    if (staged_) {
        staged_->Flush();
        if (::fsync(stagedFd_) != 0) CannotWrite(name_, errno);
        CloseChecked(stagedFd_, name_);
    }
    MoveIntoPlace();
}
