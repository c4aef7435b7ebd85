#include "imaging/files/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <system_error>

namespace imaging {

Status StatusFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return AccessDenied;
    case ENOMEM:
        return OutOfMemory;
    default:
        return Win32Error;
    }
}

namespace {

// The temporary files of saves in progress, for removal from a signal
// handler: fixed slots, no allocation, nothing freed under the handler's feet.
struct UnfinishedSlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 live
    char path[4096];
};
UnfinishedSlot g_unfinished[64];

int RegisterUnfinished(const std::string& path) {
    if (path.size() >= sizeof g_unfinished[0].path) return -1;
    for (int i = 0; i < static_cast<int>(std::size(g_unfinished)); ++i) {
        int expected = 0;
        if (!g_unfinished[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(g_unfinished[i].path, path.c_str(), path.size() + 1);
        g_unfinished[i].state.store(2);
        return i;
    }
    return -1;  // more saves at once than slots: that one is not covered
}

void UnregisterUnfinished(int slot) {
    if (slot >= 0) g_unfinished[slot].state.store(0);
}

// The temporary file until it has been renamed: closed and removed on every
// path that does not reach Commit.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
        UnregisterUnfinished(slot_);
    }

    // Creates a fresh file next to the target. The name starts with a dot so
    // that a file browser hides it while it is being written.
    int Create(const std::filesystem::path& folder) {
        static std::atomic<std::uint64_t> counter{0};
        for (int attempt = 0; attempt < 64; ++attempt) {
            const std::uint64_t salt =
                static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<std::uint64_t>(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
            char name[40];
            std::snprintf(name, sizeof name, ".velmor-save-%016llx.tmp", static_cast<unsigned long long>(salt));
            std::string path = (folder / name).string();
            // Listed before it exists, so that a signal right after the open
            // finds it; the random name is no one else's.
            const int slot = RegisterUnfinished(path);
            // The user's alone while it is written; the final mode comes just before the rename.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd >= 0) {
                fd_ = fd;
                path_ = std::move(path);
                slot_ = slot;
                return 0;
            }
            const int error = errno;
            UnregisterUnfinished(slot);
            if (error != EEXIST) return error;
        }
        return EEXIST;
    }

    int WriteAll(std::span<const std::uint8_t> bytes) {
        const std::uint8_t* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, left);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        return 0;
    }

    // Gives the new file the mode (and, where allowed, the owner) of the file
    // it replaces. A failing chown is no reason to refuse the save.
    int CopyAttributes(const struct stat& old) {
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // Not permitted for ordinary users unless they own the file already.
        }
        return SetMode(old.st_mode & 07777);
    }

    int SetMode(mode_t mode) { return ::fchmod(fd_, mode) == 0 ? 0 : errno; }

    int SyncAndClose() {
        if (::fsync(fd_) != 0) return errno;
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

    int RenameTo(const std::filesystem::path& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
        path_.clear();
        UnregisterUnfinished(slot_);
        slot_ = -1;
        return 0;
    }

private:
    int fd_ = -1;
    int slot_ = -1;
    std::string path_;
};

void RemoveAndReraise(int signal) {
    RemoveUnfinishedTemporaryFiles();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The process's umask, read without changing it (umask(2) alone would, for a
// moment, for every thread).
mode_t CurrentUmask() {
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f) != nullptr) found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found) return static_cast<mode_t>(mask & 0777);
    }
    return 022;
}

// The file a save writes: the requested path with its chain of symbolic
// links followed (at most kMaxLinks), but only where the kernel itself would
// follow them: in a sticky folder that everyone may write to, only a link
// owned by the user or by the folder's owner. A dangling chain ends at the
// file it names, which the save then creates.
constexpr int kMaxLinks = 40;

int ResolveTarget(std::filesystem::path& target) {
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat link {};
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return 0;
        if (hop == kMaxLinks) return ELOOP;
        std::filesystem::path folder = target.parent_path();
        if (folder.empty()) folder = ".";
        struct stat dir {};
        if (::stat(folder.c_str(), &dir) != 0) return errno;
        const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
        if (shared && link.st_uid != ::geteuid() && link.st_uid != dir.st_uid) return EACCES;
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) return ec.value();
        target = next.is_absolute() ? next : folder / next;
    }
    return ELOOP;
}

// Makes the rename itself durable; a failure here loses nothing already
// written, so it is not reported.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void RemoveUnfinishedTemporaryFiles() noexcept {
    for (UnfinishedSlot& slot : g_unfinished)
        if (slot.state.load() == 2) ::unlink(slot.path);
}

void RemoveTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveAndReraise;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(signal, &action, nullptr);
}

struct AtomicFileWriter::State {
    TempFile temp;
    std::filesystem::path target, folder;
    struct stat old {};
    bool exists = false;
    bool open = false;
    Status failure = Ok;

    Status Fail(int error) { return failure = StatusFromErrno(error); }
};

AtomicFileWriter::AtomicFileWriter() = default;
AtomicFileWriter::~AtomicFileWriter() = default;

Status AtomicFileWriter::Open(const std::filesystem::path& requested) {
    if (state_) return WrongState;
    state_ = std::make_unique<State>();
    State& s = *state_;
    if (requested.empty() || !requested.has_filename()) return s.failure = Win32Error;
    s.target = requested;
    if (const int error = ResolveTarget(s.target); error != 0) return s.Fail(error);
    s.exists = ::stat(s.target.c_str(), &s.old) == 0;
    if (s.exists && !S_ISREG(s.old.st_mode)) return s.failure = Win32Error;
    s.folder = s.target.parent_path();
    if (s.folder.empty()) s.folder = ".";
    if (const int error = s.temp.Create(s.folder); error != 0) return s.Fail(error);
    s.open = true;
    return Ok;
}

Status AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
    if (!state_) return WrongState;
    State& s = *state_;
    if (s.failure != Ok) return s.failure;
    if (!s.open) return s.failure = WrongState;
    if (const int error = s.temp.WriteAll(bytes); error != 0) return s.Fail(error);
    return Ok;
}

Status AtomicFileWriter::Commit() {
    if (!state_) return WrongState;
    State& s = *state_;
    if (s.failure != Ok) return s.failure;
    if (!s.open) return s.failure = WrongState;
    s.open = false;
    int error = s.exists ? s.temp.CopyAttributes(s.old) : s.temp.SetMode(0666 & ~CurrentUmask());
    if (error == 0) error = s.temp.SyncAndClose();
    if (error == 0) error = s.temp.RenameTo(s.target);
    if (error != 0) return s.Fail(error);
    SyncFolder(s.folder);
    return Ok;
}

Status WriteFileAtomically(const std::filesystem::path& requested, std::span<const std::uint8_t> bytes) {
    AtomicFileWriter writer;
    Status status = writer.Open(requested);
    if (status == Ok) status = writer.Write(bytes);
    if (status == Ok) status = writer.Commit();
    return status;
}

}  // namespace imaging
