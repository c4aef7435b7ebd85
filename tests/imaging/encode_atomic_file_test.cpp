// Replacing files: a save either lands completely or leaves the old file as it
// was, with no temporary file left behind in either case.
#include <signal.h>
#include <sys/resource.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "encode_fixtures.h"
#include "imaging/files/AtomicFile.h"

namespace encode_test {
namespace {

using namespace imaging;

const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};

std::vector<std::uint8_t> Payload(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}

mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicFile, WritesANewFileWithTheUsualMode) {
    ScratchFolder folder;
    const mode_t previous = ::umask(022);
    const Status status = WriteFileAtomically(folder / "new.bin", Payload(100000));
    ::umask(previous);
    ASSERT_EQ(status, Ok);
    EXPECT_EQ(ReadBytes(folder / "new.bin"), Payload(100000));
    EXPECT_EQ(ModeOf(folder / "new.bin"), 0644u);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"new.bin"});
}

TEST(AtomicFile, ReplacesAnExistingFileKeepingItsMode) {
    ScratchFolder folder;
    WriteBytes(folder / "old.bin", kOld);
    ::chmod((folder / "old.bin").c_str(), 0640);
    ASSERT_EQ(WriteFileAtomically(folder / "old.bin", Payload(10)), Ok);
    EXPECT_EQ(ReadBytes(folder / "old.bin"), Payload(10));
    EXPECT_EQ(ModeOf(folder / "old.bin"), 0640u);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"old.bin"});
}

TEST(AtomicFile, ASymbolicLinkKeepsPointingAtTheReplacedFile) {
    ScratchFolder folder;
    WriteBytes(folder / "real.bin", kOld);
    fs::create_symlink("real.bin", folder / "link.bin");
    ASSERT_EQ(WriteFileAtomically(folder / "link.bin", Payload(5)), Ok);
    EXPECT_TRUE(fs::is_symlink(folder / "link.bin"));
    EXPECT_EQ(ReadBytes(folder / "real.bin"), Payload(5));

    // A link whose file is not there yet: the file is made where it points.
    fs::create_symlink("later.bin", folder / "dangling.bin");
    ASSERT_EQ(WriteFileAtomically(folder / "dangling.bin", Payload(3)), Ok);
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.bin"));
    EXPECT_EQ(ReadBytes(folder / "later.bin"), Payload(3));
}

// Links are followed only where the kernel would follow them: in a sticky
// folder that everyone may write to, a link planted by another user is
// refused and its target left alone.
TEST(AtomicFile, LinksInASharedStickyFolder) {
    ScratchFolder folder;
    const fs::path shared = folder / "shared";
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    const fs::path victim = folder / "victim.bin";
    struct Case {
        const char* what;
        uid_t linkOwner;    // 0: the user's own link
        uid_t folderOwner;  // 0: the user's own folder
        bool followed;
    };
    const Case cases[] = {
        {"the user's own link", 0, 0, true},
        {"the folder owner's link", 54321, 54321, true},
        {"another user's link", 54321, 0, false},
        {"a third user's link in another's folder", 54321, 65432, false},
    };
    for (const Case& c : cases) {
        if ((c.linkOwner != 0 || c.folderOwner != 0) && ::geteuid() != 0) {
            std::printf("skipped (needs root to plant links of other users): %s\n", c.what);
            continue;
        }
        WriteBytes(victim, kOld);
        const fs::path link = shared / "photo_shitae.png";
        fs::remove(link);
        fs::create_symlink(victim, link);
        const uid_t me = ::geteuid();
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner != 0 ? c.linkOwner : me, static_cast<gid_t>(-1)), 0);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner != 0 ? c.folderOwner : me, static_cast<gid_t>(-1)), 0);
        const Status status = WriteFileAtomically(link, Payload(7));
        EXPECT_EQ(status, c.followed ? Ok : AccessDenied) << c.what;
        EXPECT_EQ(ReadBytes(victim), c.followed ? Payload(7) : kOld) << c.what;
        EXPECT_TRUE(fs::is_symlink(link)) << c.what;
        EXPECT_EQ(folder.Names().size(), 2u) << c.what << ": no temporary file left";
        ASSERT_EQ(::chown(shared.c_str(), me, static_cast<gid_t>(-1)), 0);
    }
}

TEST(AtomicFile, ChainsOfLinksResolveFullyWithABound) {
    ScratchFolder folder;
    fs::create_directory(folder / "sub");
    fs::create_symlink("sub/b.bin", folder / "a.bin");
    fs::create_symlink("../c.bin", folder / "sub" / "b.bin");
    WriteBytes(folder / "c.bin", kOld);
    ASSERT_EQ(WriteFileAtomically(folder / "a.bin", Payload(4)), Ok);
    EXPECT_EQ(ReadBytes(folder / "c.bin"), Payload(4));
    EXPECT_TRUE(fs::is_symlink(folder / "a.bin"));
    EXPECT_TRUE(fs::is_symlink(folder / "sub" / "b.bin"));

    fs::create_symlink("loop2.bin", folder / "loop1.bin");
    fs::create_symlink("loop1.bin", folder / "loop2.bin");
    EXPECT_EQ(WriteFileAtomically(folder / "loop1.bin", Payload(4)), Win32Error);
    EXPECT_TRUE(fs::is_symlink(folder / "loop1.bin"));
}

// While it is written, the temporary file is readable by the user alone,
// whatever the final mode; the mode is set just before the rename.
TEST(AtomicFile, TheTemporaryFileIsPrivateWhileWritten) {
    ScratchFolder folder;
    WriteBytes(folder / "public.bin", kOld);
    ::chmod((folder / "public.bin").c_str(), 0644);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.path().c_str(), IN_CREATE), 0);
    mode_t seen = 0;
    std::thread observer([&] {
        alignas(struct inotify_event) char buffer[4096];
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        if (n <= 0) return;
        const auto* event = reinterpret_cast<const struct inotify_event*>(buffer);
        seen = ModeOf(folder / event->name);
    });
    ASSERT_EQ(WriteFileAtomically(folder / "public.bin", Payload(64 << 20)), Ok);
    observer.join();
    ::close(watch);
    EXPECT_EQ(seen, 0600u);
    EXPECT_EQ(ModeOf(folder / "public.bin"), 0644u);
}

// A signal in the middle of a save: the process ends by the signal and leaves
// neither the temporary file nor a partial target.
TEST(AtomicFile, AnInterruptedSaveLeavesNoTemporary) {
    for (int signal : {SIGTERM, SIGINT}) {
        ScratchFolder folder;
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, folder.path().c_str(), IN_CREATE), 0);
        const std::vector<std::uint8_t> payload = Payload(256 << 20);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporaryFilesOnSignals();
            WriteFileAtomically(folder / "big.bin", payload);
            ::_exit(0);
        }
        alignas(struct inotify_event) char buffer[4096];
        ASSERT_GT(::read(watch, buffer, sizeof buffer), 0);  // the temporary file is there
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(watch);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "ended by the signal " << signal;
        EXPECT_EQ(folder.Names(), std::vector<std::string>{}) << signal;
    }
}

// A write that fails part way, made to fail by the file size limit (which
// binds root too): the old file must survive whole.
TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    ScratchFolder folder;
    WriteBytes(folder / "keep.bin", kOld);

    struct sigaction ignore {}, previousAction {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previousAction);
    rlimit previousLimit{};
    ::getrlimit(RLIMIT_FSIZE, &previousLimit);
    rlimit small = previousLimit;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const Status status = WriteFileAtomically(folder / "keep.bin", Payload(100000));
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    ::sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_EQ(status, Win32Error);
    EXPECT_EQ(ReadBytes(folder / "keep.bin"), kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"keep.bin"});
}

TEST(AtomicFile, TargetsThatCannotBeWritten) {
    ScratchFolder folder;
    fs::create_directory(folder / "dir.png");
    WriteBytes(folder / "dir.png" / "inside", kOld);

    struct Case {
        fs::path target;
        Status expected;
    } cases[] = {
        {folder / "missing" / "x.png", Win32Error},  // a missing folder is a plain system error
        {folder / "dir.png", Win32Error},            // a folder is never replaced
        {"/sys/velmor-encode-test.png", AccessDenied},  // creating files in sysfs is refused, even to root
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.string());
        EXPECT_EQ(WriteFileAtomically(c.target, Payload(10)), c.expected);
    }
    EXPECT_EQ(ReadBytes(folder / "dir.png" / "inside"), kOld);
    EXPECT_FALSE(fs::exists(folder / "missing"));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"dir.png"});
}

TEST(AtomicFile, AFolderWithoutWritePermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    ScratchFolder folder;
    fs::create_directory(folder / "locked");
    WriteBytes(folder / "locked" / "x.png", kOld);
    ::chmod((folder / "locked").c_str(), 0555);
    EXPECT_EQ(WriteFileAtomically(folder / "locked" / "x.png", Payload(10)), AccessDenied);
    EXPECT_EQ(ReadBytes(folder / "locked" / "x.png"), kOld);
}

// A file written in parts: the target appears whole at Commit, and a writer
// given up before it leaves the old file and no temporary.
TEST(AtomicFile, AWriterInPartsLandsOnlyAtCommit) {
    ScratchFolder folder;
    WriteBytes(folder / "book.bin", kOld);
    const std::vector<std::uint8_t> bytes = Payload(300000);
    {
        AtomicFileWriter writer;
        ASSERT_EQ(writer.Open(folder / "book.bin"), Ok);
        ASSERT_EQ(writer.Write(std::span(bytes).first(1000)), Ok);
        EXPECT_EQ(ReadBytes(folder / "book.bin"), kOld);
        EXPECT_EQ(folder.Names().size(), 2u) << "the temporary file beside it";
    }
    EXPECT_EQ(ReadBytes(folder / "book.bin"), kOld);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"book.bin"});

    AtomicFileWriter writer;
    ASSERT_EQ(writer.Open(folder / "book.bin"), Ok);
    for (std::size_t at = 0; at < bytes.size(); at += 70000)
        ASSERT_EQ(writer.Write(std::span(bytes).subspan(at, std::min<std::size_t>(70000, bytes.size() - at))), Ok);
    ASSERT_EQ(writer.Commit(), Ok);
    EXPECT_EQ(ReadBytes(folder / "book.bin"), bytes);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"book.bin"});
    EXPECT_EQ(writer.Write(bytes), WrongState) << "nothing after the commit";

    AtomicFileWriter missing;
    EXPECT_EQ(missing.Open(folder / "no" / "such.bin"), Win32Error);
    EXPECT_EQ(missing.Write(bytes), Win32Error) << "the first failure sticks";
    EXPECT_EQ(missing.Commit(), Win32Error);
}

TEST(AtomicFile, ErrnoToStatus) {
    const struct {
        int error;
        Status status;
    } cases[] = {
        {EACCES, AccessDenied}, {EPERM, AccessDenied}, {EROFS, AccessDenied}, {ENOMEM, OutOfMemory},
        {ENOENT, Win32Error},   {ENOSPC, Win32Error},  {EFBIG, Win32Error},   {EISDIR, Win32Error},
    };
    for (const auto& c : cases) EXPECT_EQ(StatusFromErrno(c.error), c.status) << c.error;
}

}  // namespace
}  // namespace encode_test
