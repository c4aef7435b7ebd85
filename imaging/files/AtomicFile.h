// Replacing a file without ever leaving a damaged one: the bytes go to a
// temporary file in the target's folder, are flushed to disk, and only then
// renamed over the target. On any failure the temporary file is removed and
// an existing target is left exactly as it was.
//
// The temporary file is the user's alone until, just before the rename, it
// takes its final mode: a replaced file keeps its permission bits (and, where
// the caller may, its owner); a new file gets 0666 less the umask. A chain of
// symbolic links as target is followed, so the file it ends at is replaced,
// not the links; but only where the kernel would follow them: in a sticky,
// world-writable folder such as /tmp only a link owned by the user or by the
// folder's owner (another user's planted link is refused, AccessDenied).
//
// Errors: AccessDenied for EACCES, EPERM and EROFS; OutOfMemory for ENOMEM;
// Win32Error for every other failure, a missing folder included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "imaging/picture/Status.h"

namespace imaging {

Status WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// The same for bytes that come in parts (a file too large to hold): Open,
// Write as often as needed, Commit. Until Commit succeeds the target is
// untouched; destroyed before that, the temporary file goes with it. After
// a failure every later call fails with the first failure's status.
class AtomicFileWriter {
public:
    AtomicFileWriter();
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status Open(const std::filesystem::path& target);
    Status Write(std::span<const std::uint8_t> bytes);
    Status Commit();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Removes the temporary files of the saves in progress (async-signal-safe).
void RemoveUnfinishedTemporaryFiles() noexcept;
// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that remove those
// files and then end the process by the signal as before. For programs that
// end at once on those signals; the window closes in order instead.
void RemoveTemporaryFilesOnSignals();

// The Status for an errno value, by the rule above.
Status StatusFromErrno(int error);

}  // namespace imaging
