// The temporary folder: created private, and refused whenever someone else
// could have prepared or could reach it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "../imaging/encode_fixtures.h"
#include "imageio/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using encode_test::ScratchFolder;

const char* const kRefused = "一時保存ディレクトリを取得できませんでした。";

// Points TMPDIR at a scratch folder and hides XDG_RUNTIME_DIR for one test.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Save("TMPDIR", tmpdir_);
        Save("XDG_RUNTIME_DIR", runtime_);
        ::setenv("TMPDIR", scratch_.path().c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    void TearDown() override {
        Restore("TMPDIR", tmpdir_);
        Restore("XDG_RUNTIME_DIR", runtime_);
    }

    std::string Expected() const {
        return scratch_.path().string() + "/velmor-" + std::to_string(::geteuid()) + "/";
    }
    fs::path Folder() const { return scratch_.path() / ("velmor-" + std::to_string(::geteuid())); }

    // Calls GetTempFolder and checks the refusal protocol when it fails.
    std::optional<std::string> Get() {
        std::string folder = "previous";
        const std::optional<ImageFileError> failure = TryGetTempFolder(folder);
        if (!failure) return folder;
        EXPECT_EQ(folder, "");
        EXPECT_EQ(failure->message, kRefused);
        return std::nullopt;
    }

    ScratchFolder scratch_;

private:
    static void Save(const char* name, std::optional<std::string>& slot) {
        if (const char* v = std::getenv(name)) slot = v;
    }
    static void Restore(const char* name, const std::optional<std::string>& slot) {
        if (slot)
            ::setenv(name, slot->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::optional<std::string> tmpdir_, runtime_;
};

mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

TEST_F(TempFolderTest, CreatesAPrivateFolderOnceAndReusesIt) {
    const mode_t previous = ::umask(0277);  // even a mean umask leaves the owner in
    const std::optional<std::string> first = Get();
    ::umask(previous);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, Expected());
    EXPECT_EQ(ModeOf(Folder()), 0700u);
    EXPECT_EQ(Get(), first);
}

TEST_F(TempFolderTest, PrefersTheRuntimeFolder) {
    fs::create_directory(scratch_.path() / "run");
    ::chmod((scratch_.path() / "run").c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", (scratch_.path() / "run").c_str(), 1);
    EXPECT_EQ(Get(), (scratch_.path() / "run" / "velmor").string() + "/");

    ::setenv("XDG_RUNTIME_DIR", "relative/run", 1);  // not usable: falls back to TMPDIR
    EXPECT_EQ(Get(), Expected());
}

TEST_F(TempFolderTest, ARuntimeFolderOfAnotherUserIsPassedOver) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
    const fs::path run = scratch_.path() / "run";
    fs::create_directory(run);
    ::chmod(run.c_str(), 0700);
    ASSERT_EQ(::chown(run.c_str(), 65534, 65534), 0);  // as after su: the variable names the other user's
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    EXPECT_EQ(Get(), Expected());
    EXPECT_FALSE(fs::exists(run / "velmor"));
}

// What someone else could have planted is never used: a fresh private
// folder beside it instead, the same one for the rest of the run.
TEST_F(TempFolderTest, PassesOverWhatSomeoneElseCouldHavePlanted) {
    struct Case {
        const char* what;
        void (*plant)(const fs::path& folder, const fs::path& scratch);
        bool needsRoot;
    } cases[] = {
        {"symbolic link to a folder",
         [](const fs::path& f, const fs::path& s) {
             fs::create_directory(s / "elsewhere");
             ::chmod((s / "elsewhere").c_str(), 0700);
             fs::create_directory_symlink(s / "elsewhere", f);
         },
         false},
        {"folder open to others", [](const fs::path& f, const fs::path&) { fs::create_directory(f), ::chmod(f.c_str(), 0755); },
         false},
        {"folder open to the group", [](const fs::path& f, const fs::path&) { fs::create_directory(f), ::chmod(f.c_str(), 0770); },
         false},
        {"a plain file", [](const fs::path& f, const fs::path&) { encode_test::WriteBytes(f, {'x'}); }, false},
        {"folder owned by another user",
         [](const fs::path& f, const fs::path&) {
             fs::create_directory(f);
             ::chmod(f.c_str(), 0700);
             if (::chown(f.c_str(), 65534, 65534) != 0) ADD_FAILURE() << "chown";
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && ::geteuid() != 0) continue;  // only root can give a folder away
        fs::remove_all(Folder());
        c.plant(Folder(), scratch_.path());
        const std::optional<std::string> got = Get();
        ASSERT_TRUE(got);
        EXPECT_NE(*got, Expected());
        EXPECT_EQ(got->rfind(Folder().string() + "-", 0), 0u) << *got;
        EXPECT_EQ(ModeOf(got->substr(0, got->size() - 1)), 0700u);
        EXPECT_EQ(Get(), got);
        fs::remove_all(Folder());
    }
}

TEST_F(TempFolderTest, RefusesAMissingBase) {
    ::setenv("TMPDIR", (scratch_.path() / "gone").c_str(), 1);
    EXPECT_EQ(Get(), std::nullopt);
}

// Callers append names into 260-character buffers: 259 is the longest folder.
TEST_F(TempFolderTest, LengthLimit) {
    const std::string tail = "/velmor-" + std::to_string(::geteuid()) + "/";
    for (const std::size_t total : {259u, 260u}) {
        SCOPED_TRACE(total);
        // Pad the base with nested folders until the result has `total` bytes.
        fs::path base = scratch_.path() / std::to_string(total);
        std::size_t length = base.string().size() + tail.size();
        while (length < total) {
            const std::size_t part = std::min<std::size_t>(100, total - length - 1) ;
            if (part == 0) break;
            base /= std::string(part, 'p');
            length = base.string().size() + tail.size();
        }
        if (length < total) base += "q", ++length;
        ASSERT_EQ(length, total);
        fs::create_directories(base);
        ::setenv("TMPDIR", base.c_str(), 1);
        const std::optional<std::string> folder = Get();
        EXPECT_EQ(folder.has_value(), total == 259);
        if (folder) {
            EXPECT_EQ(folder->size(), 259u);
        }
    }
}

}  // namespace
