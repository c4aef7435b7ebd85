#include "imageio/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>


namespace {

// Callers build file paths into fixed buffers of 260 characters.
constexpr std::size_t kMaxFolderLength = 259;

bool IsAbsoluteFolder(const char* path) {
    struct stat st {};
    return path != nullptr && path[0] == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// The runtime folder counts only when it is the user's own: one inherited
// through su belongs to someone else.
bool IsUsableRuntimeFolder(const char* path) {
    struct stat st {};
    return IsAbsoluteFolder(path) && ::stat(path, &st) == 0 && st.st_uid == ::geteuid() &&
           ::access(path, W_OK | X_OK) == 0;
}

std::string TmpBase() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && tmp[0] == '/' ? WithSlash(tmp) : std::string("/tmp/");
}

std::string PerUserFolder() { return TmpBase() + "velmor-" + std::to_string(::geteuid()) + "/"; }

// Creates the folder if needed and checks that only its owner, the user, can
// reach it. lstat does not follow a planted symbolic link.
bool MakePrivateFolder(const std::string& folder) {
    const std::string path = folder.substr(0, folder.size() - 1);
    if (::mkdir(path.c_str(), 0700) == 0) {
        // The umask may have taken owner bits away; nobody else has any.
        if (::chmod(path.c_str(), 0700) != 0) return false;
    } else if (errno != EEXIST) {
        return false;
    }
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// When the per-user folder is taken (planted by someone, or broken), a fresh
// private one beside it, made once and kept for the rest of the run.
std::optional<std::string> FreshFolder() {
    static std::mutex lock;
    static std::string made;
    const std::lock_guard<std::mutex> guard(lock);
    std::string prefix = PerUserFolder();
    prefix.back() = '-';  // velmor-<uid>/ becomes velmor-<uid>-
    if (made.compare(0, prefix.size(), prefix) == 0 && MakePrivateFolder(made)) return made;
    std::string pattern = prefix + "XXXXXX";
    if (pattern.size() + 1 > kMaxFolderLength || ::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    made = pattern + "/";
    if (!MakePrivateFolder(made)) return std::nullopt;
    return made;
}

}  // namespace

std::optional<ImageFileError> TryGetTempFolder(std::string& folder) {
    std::vector<std::string> candidates;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsUsableRuntimeFolder(runtime)) candidates.push_back(WithSlash(runtime) + "velmor/");
    candidates.push_back(PerUserFolder());
    for (std::string& chosen : candidates)
        if (chosen.size() <= kMaxFolderLength && MakePrivateFolder(chosen)) {
            folder = std::move(chosen);
            return std::nullopt;
        }
    if (std::optional<std::string> fresh = FreshFolder()) {
        folder = std::move(*fresh);
        return std::nullopt;
    }
    folder.clear();
    return ImageFileError{"一時保存ディレクトリを取得できませんでした。", imaging::Win32Error};
}
