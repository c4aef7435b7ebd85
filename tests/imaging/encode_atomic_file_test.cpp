// Replacing files: a save either lands completely or leaves the old file as it
// was, with no temporary file left behind in either case.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

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
