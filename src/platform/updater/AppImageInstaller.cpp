#include "platform/updater/AppImageInstaller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace quillmark {
namespace {

std::string errorText(int error) { return std::generic_category().message(error); }

UpdateInstaller::Outcome failure(const std::string& what, int error) {
    return {UpdateInstaller::Outcome::Kind::failed,
            "The update could not be installed: " + what + " (" + errorText(error) + ")."};
}

// 0 or the failing call's errno.
int copyContents(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got == 0) return 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += put;
        }
    }
}

// e_ident: the ELF magic, class, data (byte order), version, ABI; the AppImage magic sits in the
// padding that follows.
constexpr unsigned char kElfMagic[] = {0x7f, 'E', 'L', 'F'};
constexpr unsigned char kAppImageType2[] = {'A', 'I', 0x02};
constexpr std::size_t kAppImageMagicOffset = 8;
constexpr std::size_t kElfTypeOffset = 16;
constexpr unsigned kElfExecutable = 2;  // ET_EXEC
constexpr unsigned kElfShared = 3;      // ET_DYN: a position-independent executable

std::string notAnAppImage(const std::string& what) {
    return "The update cannot be installed here: " + what +
           " is not an AppImage, and only an AppImage can replace the AppImage Quillmark runs from. Nothing was "
           "changed.";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // 0 or errno; closing can report a failed write.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

}  // namespace

bool AppImageInstaller::isAppImage(int fd) {
    unsigned char head[kElfTypeOffset + 2] = {};
    std::size_t got = 0;
    while (got < sizeof head) {
        const ssize_t read = pread(fd, head + got, sizeof head - got, static_cast<off_t>(got));
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) return false;
        got += static_cast<std::size_t>(read);
    }
    if (std::memcmp(head, kElfMagic, sizeof kElfMagic) != 0) return false;
    if (std::memcmp(head + kAppImageMagicOffset, kAppImageType2, sizeof kAppImageType2) != 0) return false;
    const bool bigEndian = head[5] == 2;  // EI_DATA: ELFDATA2MSB
    const unsigned type = bigEndian ? (head[kElfTypeOffset] << 8u) | head[kElfTypeOffset + 1]
                                    : (head[kElfTypeOffset + 1] << 8u) | head[kElfTypeOffset];
    return type == kElfExecutable || type == kElfShared;
}

UpdateInstaller::Outcome AppImageInstaller::install(const QString& verifiedFile) {
    const std::string target = appImagePath_.toStdString();
    struct stat current {};
    if (stat(target.c_str(), &current) != 0) return failure(target + " cannot be read", errno);
    const auto slash = target.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    FileDescriptor source(open(verifiedFile.toStdString().c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) return failure("the downloaded file cannot be read", errno);
    if (!isAppImage(source.get())) return {Outcome::Kind::failed, notAnAppImage("the downloaded file")};

    std::string temporary = directory + "/." + name + ".update-XXXXXX";
    FileDescriptor copy(mkostemp(temporary.data(), O_CLOEXEC));
    if (copy.get() < 0) return failure(directory + " is not writable", errno);
    // What is replaced must be an AppImage as well: the check that the process runs from it is not
    // left to its environment alone.
    FileDescriptor inPlace(open(target.c_str(), O_RDONLY | O_CLOEXEC));
    if (inPlace.get() < 0 || !isAppImage(inPlace.get())) {
        const int error = inPlace.get() < 0 ? errno : 0;
        unlink(temporary.c_str());
        if (error) return failure(target + " cannot be read", error);
        return {Outcome::Kind::failed, notAnAppImage(target)};
    }
    int error = copyContents(source.get(), copy.get());
    if (!error && fchmod(copy.get(), current.st_mode & 07777) != 0) error = errno;
    if (!error && fsync(copy.get()) != 0) error = errno;
    if (const int closeError = copy.close(); !error) error = closeError;
    if (!error && rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error) {
        unlink(temporary.c_str());
        return failure("the new version could not be written to " + directory, error);
    }
    // The rename itself must reach the disk before the new copy is started.
    FileDescriptor directoryHandle(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directoryHandle.get() >= 0) fsync(directoryHandle.get());
    return {Outcome::Kind::replacedRunningCopy, {}, target};
}

}  // namespace quillmark
