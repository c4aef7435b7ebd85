// velmor-sketch: the desktop program's sketches, made from the command line.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/CliOptions.h"
#include "imaging/files/AtomicFile.h"
#include "cli/SketchFile.h"
#include "pipeline/MemoryBudget.h"

namespace {

struct Job {
    std::string input;
    std::string output;
    std::string failure;  // set before the run when the job cannot run at all
};

// Progress on a terminal only; scripts and logs stay clean.
class Progress {
public:
    Progress(std::size_t total, bool enabled) : total_(total), enabled_(enabled) {}
    void Started(const std::string& name) { Show(name); }
    void Finished() {
        ++done_;
        Show({});
    }
    // Lines that must not be mixed with the progress line.
    void Print(const std::string& line) {
        std::lock_guard lock(mutex_);
        if (enabled_) std::fputs("\r\033[K", stderr);
        std::fputs(line.c_str(), stderr);
        std::fputc('\n', stderr);
    }
    void End() {
        if (enabled_) std::fputs("\r\033[K", stderr);
    }

private:
    void Show(const std::string& name) {
        if (!enabled_) return;
        std::lock_guard lock(mutex_);
        if (!name.empty()) current_ = name;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done_.load(), total_, current_.c_str());
        std::fflush(stderr);
    }
    std::size_t total_;
    bool enabled_;
    std::atomic<std::size_t> done_{0};
    std::mutex mutex_;
    std::string current_;
};

}  // namespace

int main(int argc, char** argv) {
    // Ctrl+C or a SIGTERM in the middle of a save leaves no temporary file.
    imaging::RemoveTemporaryFilesOnSignals();
    std::vector<std::string> args(argv + 1, argv + argc);
    ParseResult parsed = ParseCommandLine(args);
    if (!parsed.options) {
        std::fprintf(stderr, "velmor-sketch: %s\nTry 'velmor-sketch --help'.\n", parsed.error.c_str());
        return 2;
    }
    const CliOptions& o = *parsed.options;
    if (o.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (o.version) {
        std::puts("velmor-sketch " VELMOR_VERSION);
        return 0;
    }

    // Paths compare as the files they name: "a.png" and "./a.png" are one, and
    // so are two hard links of one file.
    auto fileKey = [](const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            return "inode " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
        std::error_code ec;
        const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
        return ec ? path : p.string();
    };
    std::set<std::string> inputFiles;
    for (const std::string& input : o.inputs) inputFiles.insert(fileKey(input));

    std::vector<Job> jobs;
    std::map<std::string, std::string> claimed;  // output -> the input that writes it
    for (const std::string& input : o.inputs) {
        Job job{input, o.output.empty() ? OutputPathFor(input, o.outputDir, o.type) : o.output, {}};
        if (job.output == "-") {
            jobs.push_back(std::move(job));
            continue;
        }
        const std::string key = fileKey(job.output);
        auto [it, fresh] = claimed.emplace(key, input);
        if (!fresh)
            job.failure = "same output " + job.output + " as " + it->second;
        else if (inputFiles.count(key) != 0)
            job.failure = "output " + job.output + " is one of the inputs";
        jobs.push_back(std::move(job));
    }

    unsigned workers = o.jobs > 0 ? static_cast<unsigned>(o.jobs) : std::thread::hardware_concurrency();
    if (workers == 0) workers = 1;
    if (workers > jobs.size()) workers = static_cast<unsigned>(jobs.size());

    // Each job may hold a picture's whole working set at once; the cores not
    // taken by jobs of their own serve the bands of one picture.
    SketchJob jobSettings;
    jobSettings.streamType = o.type;
    jobSettings.palettePng = !o.png24;
    jobSettings.limits = PictureDecodeLimits(workers);
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    jobSettings.threads = static_cast<int>(std::max(cores / workers, 1u));
    Progress progress(jobs.size(), jobs.size() > 1 && isatty(STDERR_FILENO));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> anyFailed{false};
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < jobs.size();) {
            const Job& job = jobs[i];
            progress.Started(job.input);
            std::string failure = job.failure;
            if (failure.empty()) {
                SketchOutcome r = SketchFile(job.input, job.output, o.settings, jobSettings);
                if (!r.ok) failure = r.reason;
            }
            if (!failure.empty()) {
                anyFailed = true;
                progress.Print("velmor-sketch: " + job.input + ": " + failure);
            }
            progress.Finished();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < workers; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error& e) {
            // Fewer jobs at once, not an end: the threads that exist do the work.
            progress.Print("velmor-sketch: cannot start job " + std::to_string(t + 1) + " (" + e.what() +
                           "); going on with " + std::to_string(t));
            break;
        }
    }
    work();
    for (auto& t : pool) t.join();
    progress.End();
    return anyFailed ? 1 : 0;
}
