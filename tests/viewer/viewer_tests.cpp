// Handing a file to a viewer: the argument vector the viewer gets for every
// kind of path and option text, the type names, and real launches of a stub
// viewer that records what it was given, directly and as the desktop's
// default application, with the failure codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "viewer/TmpFileTypes.h"
#include "viewer/ViewerCommand.h"
#include "viewer/ViewerLaunch.h"

namespace {

namespace fs = std::filesystem;
using namespace viewer;
using Args = std::vector<std::string>;

const std::string kPath = "/tmp/私の 絵/it's \"kolmi_shitae\".png";

TEST(ViewerCommand, ArgumentVectors) {
    struct Case {
        const char* what;
        std::string option;
        Args expected;  // after the program
    };
    const Case cases[] = {
        {"empty option text: the path alone, whole", "", {kPath}},
        {"%1 alone", "%1", {kPath}},
        {"%1 quoted", "\"%1\"", {kPath}},
        {"%1 twice", "--in %1 --out=%1", {"--in", kPath, "--out=" + kPath}},
        {"%1 inside a word", "--file=%1", {"--file=" + kPath}},
        {"no %1: the path is not passed", "--fullscreen -p", {"--fullscreen", "-p"}},
        {"quoted words keep their spaces", "'a b' \"c d\" e\\ f", {"a b", "c d", "e f"}},
        {"Japanese words", "--題名 \"下絵 %1\"", {"--題名", "下絵 " + kPath}},
        {"no shell: separators and expansions stay text",
         "%1; touch INJECTED && $(touch INJECTED) `touch INJECTED` | cat > x $HOME ~ *",
         {kPath + ";", "touch", "INJECTED", "&&", "$(touch", "INJECTED)", "`touch", "INJECTED`", "|", "cat", ">",
          "x", "$HOME", "~", "*"}},
        {"only spaces: no arguments", "   ", {}},
    };
    for (const Case& c : cases) {
        const ViewerCommand command = BuildViewerCommand({1, "/usr/bin/viewer", c.option}, kPath);
        ASSERT_TRUE(std::holds_alternative<NamedViewer>(command)) << c.what;
        Args expected{"/usr/bin/viewer"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(std::get<NamedViewer>(command).argv, expected) << c.what;
    }
}

TEST(ViewerCommand, WhichProgram) {
    struct Case {
        ViewerSettings settings;
        bool named;
    };
    const Case cases[] = {
        {{0, "/usr/bin/viewer", "%1"}, false},
        {{1, "/usr/bin/viewer", ""}, true},
        {{1, "", "%1"}, false},  // no path: the associated program, as with type 0
        {{2, "/usr/bin/viewer", "%1"}, false},
        {{-1, "/usr/bin/viewer", "%1"}, false},
    };
    for (const Case& c : cases) {
        const ViewerCommand command = BuildViewerCommand(c.settings, kPath);
        EXPECT_EQ(std::holds_alternative<NamedViewer>(command), c.named) << c.settings.viewerType;
        if (!c.named) {
            EXPECT_EQ(std::get<AssociatedProgram>(command).file, kPath);
        }
    }
    EXPECT_TRUE(std::holds_alternative<BadOptionText>(BuildViewerCommand({1, "v", "\"%1"}, kPath)));
    EXPECT_EQ(ReplacePathMarker("%%1%", "P"), "%P%");
    EXPECT_EQ(ReplacePathMarker("%1%1", "a%1"), "a%1a%1");  // a path holding "%1" is not scanned again
}

TEST(TmpFileTypes, NamesAndExtensions) {
    const std::pair<const char*, const char*> cases[] = {
        {"BMP", ".bmp"}, {"JPEG", ".jpg"}, {"PNG", ".png"}, {"GIF", ".gif"},  {"TIFF", ".tif"},
        {"tiff", ".tif"}, {"jpeg", ".jpg"}, {"Gif", ".gif"}, {"JPG", ".png"}, {"", ".png"},
        {"PNG ", ".png"}, {"ＰＮＧ", ".png"},
    };
    for (const auto& [name, extension] : cases) EXPECT_EQ(TmpFileExtensionFor(name), extension) << name;
    EXPECT_EQ(FindTmpFileType("jpeg"), 1);
    EXPECT_EQ(FindTmpFileType("webp"), -1);
}

// A scratch desktop: a stub viewer that writes its arguments (one per line,
// "<end>" last) to a record file, and a desktop entry for it that is the
// default for PNG only. GIO reads its databases once, so this is set up
// before any test runs.
class ScratchDesktop : public ::testing::Environment {
public:
    static inline fs::path root;
    static fs::path Record() { return root / "record.txt"; }
    static fs::path Stub() { return root / "bin" / "stub viewer"; }

    void SetUp() override {
        char pattern[] = "/tmp/velmor-viewer-XXXXXX";
        root = ::mkdtemp(pattern);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "data" / "applications");
        fs::create_directories(root / "config");
        {
            std::ofstream stub(Stub());
            stub << "#!/bin/sh\n: > \"$VELMOR_STUB_RECORD.part\"\n"
                    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$VELMOR_STUB_RECORD.part\"; done\n"
                    "echo '<end>' >> \"$VELMOR_STUB_RECORD.part\"\n"
                    "mv \"$VELMOR_STUB_RECORD.part\" \"$VELMOR_STUB_RECORD\"\n";
        }
        fs::permissions(Stub(), fs::perms::owner_all);
        std::ofstream(root / "data" / "applications" / "velmor-stub.desktop")
            << "[Desktop Entry]\nType=Application\nName=Stub\nExec=\"" << Stub().string()
            << "\" %f\nMimeType=image/png;\n";
        std::ofstream(root / "config" / "mimeapps.list") << "[Default Applications]\nimage/png=velmor-stub.desktop\n";
        // The type database of the system, and no application but the stub.
        fs::create_directories(root / "share");
        if (fs::exists("/usr/share/mime")) fs::create_directory_symlink("/usr/share/mime", root / "share" / "mime");
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (root / "share").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (root / "config").c_str(), 1);
        ::setenv("VELMOR_STUB_RECORD", Record().c_str(), 1);
        ::setenv("PATH", ((root / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(root); }
};
const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new ScratchDesktop);

// The stub's arguments once it has finished, or nothing after five seconds.
std::optional<Args> Recorded() {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(ScratchDesktop::Record());
        if (in) {
            Args args;
            for (std::string line; std::getline(in, line);) {
                if (line == "<end>") {
                    fs::remove(ScratchDesktop::Record());
                    return args;
                }
                args.push_back(line);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

fs::path Picture(const char* name) {
    // Real file content: the desktop checks the type against it.
    static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    static const unsigned char kGif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    const fs::path path = ScratchDesktop::root / name;
    std::ofstream out(path, std::ios::binary);
    if (path.extension() == ".png")
        out.write(reinterpret_cast<const char*>(kPng), sizeof kPng);
    else
        out.write(reinterpret_cast<const char*>(kGif), sizeof kGif);
    return path;
}

TEST(ViewerLaunch, NamedViewerGetsItsArgumentVector) {
    const std::string file = Picture("私の 絵 'q'.png").string();
    struct Case {
        std::string program;
        std::string option;
        Args expected;
    };
    const Case cases[] = {
        {ScratchDesktop::Stub().string(), "", {file}},
        {ScratchDesktop::Stub().string(), "-a \"%1\" -b=%1", {"-a", file, "-b=" + file}},
        {ScratchDesktop::Stub().string(), "--print", {"--print"}},
        {"stub viewer", "%1", {file}},  // a bare name is looked up in PATH
    };
    for (const Case& c : cases) {
        ASSERT_EQ(LaunchViewer(BuildViewerCommand({1, c.program, c.option}, file)), kLaunchedOk) << c.option;
        EXPECT_EQ(Recorded(), c.expected) << c.option;
    }
}

TEST(ViewerLaunch, NothingRunsThroughAShell) {
    const std::string file = Picture("a.png").string();
    const fs::path injected = ScratchDesktop::root / "INJECTED";
    const std::string option = "%1; touch " + injected.string() + " $(touch " + injected.string() + ")";
    ASSERT_EQ(LaunchViewer(BuildViewerCommand({1, ScratchDesktop::Stub().string(), option}, file)), kLaunchedOk);
    const auto args = Recorded();
    ASSERT_TRUE(args.has_value());
    EXPECT_EQ(args->size(), 5u);
    EXPECT_FALSE(fs::exists(injected));
}

TEST(ViewerLaunch, TheDesktopsDefaultApplication) {
    const std::string file = Picture("kolmi shitae.png").string();
    ASSERT_EQ(LaunchViewer(BuildViewerCommand({0, "", ""}, file)), kLaunchedOk);
    EXPECT_EQ(Recorded(), Args{file});
}

TEST(ViewerLaunch, FailureCodes) {
    const fs::path notProgram = ScratchDesktop::root / "plain.txt";
    std::ofstream(notProgram) << "text\n";
    fs::permissions(notProgram, fs::perms::owner_read | fs::perms::owner_write);
    const std::string png = Picture("b.png").string();
    struct Case {
        const char* what;
        ViewerCommand command;
        int code;
    };
    const Case cases[] = {
        {"missing program", BuildViewerCommand({1, "/nonexistent/viewer", ""}, png), kProgramNotFound},
        {"missing name in PATH", BuildViewerCommand({1, "no-such-viewer-velmor", ""}, png), kProgramNotFound},
        {"not executable", BuildViewerCommand({1, notProgram.string(), ""}, png), kAccessDenied},
        {"unclosed quote", BuildViewerCommand({1, ScratchDesktop::Stub().string(), "\"%1"}, png), kNotAProgram},
        {"no program for the type", BuildViewerCommand({0, "", ""}, Picture("c.gif").string()), kNoAssociation},
    };
    for (const Case& c : cases) EXPECT_EQ(LaunchViewer(c.command), c.code) << c.what;
}

}  // namespace
