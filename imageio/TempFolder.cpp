#include "imageio/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>


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

std::string ChooseFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsoluteFolder(runtime)) return WithSlash(runtime) + "velmor/";
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp != nullptr && tmp[0] == '/' ? WithSlash(tmp) : std::string("/tmp/");
    return base + "velmor-" + std::to_string(::geteuid()) + "/";
}

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

}  // namespace

std::optional<ImageFileError> TryGetTempFolder(std::string& folder) {
    std::string chosen = ChooseFolder();
    if (chosen.size() <= kMaxFolderLength && MakePrivateFolder(chosen)) {
        folder = std::move(chosen);
        return std::nullopt;
    }
    folder.clear();
    return ImageFileError{"一時保存ディレクトリを取得できませんでした。", imaging::Win32Error};
}
