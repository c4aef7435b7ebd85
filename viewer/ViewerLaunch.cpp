#include "viewer/ViewerLaunch.h"

#include <memory>

#include <gio/gio.h>

namespace viewer {

namespace {

template <typename T>
struct GObjectFree {
    void operator()(T* p) const { g_object_unref(p); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectFree<T>>;

struct GErrorFree {
    void operator()(GError* e) const { g_error_free(e); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

int CodeForSpawnError(const GError* error) {
    if (error == nullptr || error->domain != G_SPAWN_ERROR) return kProgramNotFound;
    switch (error->code) {
        case G_SPAWN_ERROR_NOENT: return kProgramNotFound;
        case G_SPAWN_ERROR_NOTDIR: return kFolderNotFound;
        case G_SPAWN_ERROR_ACCES:
        case G_SPAWN_ERROR_PERM: return kAccessDenied;
        case G_SPAWN_ERROR_NOMEM:
        case G_SPAWN_ERROR_TOO_BIG: return kOutOfMemory;
        case G_SPAWN_ERROR_NOEXEC:
        case G_SPAWN_ERROR_ISDIR:
        case G_SPAWN_ERROR_LIBBAD:
        case G_SPAWN_ERROR_INVAL: return kNotAProgram;
        default: return kProgramNotFound;
    }
}

int Launch(const NamedViewer& viewer) {
    if (viewer.argv.empty()) return kProgramNotFound;
    std::vector<gchar*> argv;
    for (const std::string& word : viewer.argv) argv.push_back(const_cast<gchar*>(word.c_str()));
    argv.push_back(nullptr);
    // Without DO_NOT_REAP_CHILD GLib starts the program from an intermediate
    // child: it belongs to init at once, so nothing waits for it or ends it.
    // Descriptors other than the standard three are closed in the child.
    GError* raw = nullptr;
    const gboolean ok = g_spawn_async(nullptr, argv.data(), nullptr,
                                      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL),
                                      nullptr, nullptr, nullptr, &raw);
    const GErrorPtr error(raw);
    return ok ? kLaunchedOk : CodeForSpawnError(error.get());
}

int Launch(const AssociatedProgram& program) {
    const GObjectPtr<GFile> file(g_file_new_for_path(program.file.c_str()));
    // The type as the desktop sees it: by the name, checked against the content.
    GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    const char* type = info ? g_file_info_get_content_type(info.get()) : nullptr;
    if (type == nullptr) return kProgramNotFound;
    const GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type(type, FALSE));
    if (!app) return kNoAssociation;
    GList files{file.get(), nullptr, nullptr};
    GError* raw = nullptr;
    const gboolean ok = g_app_info_launch(app.get(), &files, nullptr, &raw);
    const GErrorPtr error(raw);
    return ok ? kLaunchedOk : CodeForSpawnError(error.get());
}

int Launch(const BadOptionText&) { return kNotAProgram; }

}  // namespace

int LaunchViewer(const ViewerCommand& command) {
    return std::visit([](const auto& c) { return Launch(c); }, command);
}

}  // namespace viewer
