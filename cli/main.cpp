// velmor-sketch: the desktop program's sketches, made from the command line.
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
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
#include "imageio/PdfPages.h"
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


// Runs `work` on `workers` threads, this one included.
template <typename Work>
void RunOnThreads(unsigned workers, Progress& progress, Work work) {
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
}

// Every input a page of one PDF, in the order given. The sketches are made
// in parallel; a job holds its finished page until the pages before it are
// written, so no more pages wait than there are jobs. An input that fails
// is left out with its error line, as in any batch, and the status says so.
int MakeBook(const CliOptions& o, unsigned workers, const SketchJob& settings, Progress& progress) {
    // Every page allocates and frees buffers of tens of megabytes. glibc
    // would raise its mapping threshold after the first and then keep them
    // on a fragmenting heap: 150 MB instead of 97 after twenty 12 MP photos.
    // Mapped, each page's buffers go back to the system with the page.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    PdfFile pdf;
    if (auto failure = pdf.Open(o.book)) {
        progress.Print("velmor-sketch: " + o.book + ": " + OneLine(failure->message));
        return 1;
    }
    std::mutex turn;
    std::condition_variable turnTaken;
    std::size_t decided = 0;  // inputs whose page is written or left out, in order
    bool bookFailed = false;  // under `turn`
    std::atomic<bool> stop{false}, anyFailed{false};
    std::atomic<std::size_t> next{0};
    RunOnThreads(workers, progress, [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < o.inputs.size();) {
            const std::string& input = o.inputs[i];
            PdfPage page;
            std::string failure;
            if (!stop) {
                progress.Started(input);
                std::unique_ptr<imaging::Picture> sketch;
                SketchOutcome r = SketchPicture(input, o.settings, settings, sketch);
                if (!r.ok)
                    failure = r.reason;
                else if (auto e = page.Prepare(*sketch, *o.page))
                    failure = OneLine(e->message);
            }
            std::unique_lock lock(turn);
            turnTaken.wait(lock, [&] { return decided == i; });
            if (!failure.empty()) {
                anyFailed = true;
                progress.Print("velmor-sketch: " + input + ": " + failure);
            } else if (!bookFailed && page.IsPrepared()) {
                if (auto e = pdf.Add(std::move(page))) {
                    bookFailed = true;
                    stop = true;  // the book is lost: the other inputs need not be sketched
                    progress.Print("velmor-sketch: " + o.book + ": " + OneLine(e->message));
                }
            }
            ++decided;
            lock.unlock();
            turnTaken.notify_all();
            progress.Finished();
        }
    });
    if (bookFailed) return 1;
    if (pdf.PageCount() == 0) {
        progress.Print("velmor-sketch: " + o.book + ": no page to write");
        return 1;
    }
    if (auto failure = pdf.Close()) {
        progress.Print("velmor-sketch: " + o.book + ": " + OneLine(failure->message));
        return 1;
    }
    return anyFailed ? 1 : 0;
}

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
    if (!o.book.empty() && inputFiles.count(fileKey(o.book)) != 0) {
        std::fprintf(stderr, "velmor-sketch: output %s is one of the inputs\n", o.book.c_str());
        return 1;
    }
    const std::string type = o.page != nullptr ? "pdf" : o.type;

    std::vector<Job> jobs;
    std::map<std::string, std::string> claimed;  // output -> the input that writes it
    for (const std::string& input : o.inputs) {
        Job job{input, o.output.empty() ? OutputPathFor(input, o.outputDir, type) : o.output, {}};
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

    // A book writes its pages one at a time, and the page's compression takes
    // most of it: one job (whose picture still runs on every core) keeps the
    // memory to one picture's working set and loses little time.
    unsigned workers = o.jobs > 0      ? static_cast<unsigned>(o.jobs)
                       : o.book.empty() ? std::thread::hardware_concurrency()
                                        : 1u;
    if (workers == 0) workers = 1;
    if (workers > jobs.size()) workers = static_cast<unsigned>(jobs.size());

    // Each job may hold a picture's whole working set at once; the cores not
    // taken by jobs of their own serve the bands of one picture.
    SketchJob jobSettings;
    jobSettings.streamType = o.type;
    jobSettings.palettePng = !o.png24;
    jobSettings.page = o.page;
    jobSettings.limits = PictureDecodeLimits(workers);
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    jobSettings.threads = static_cast<int>(std::max(cores / workers, 1u));
    Progress progress(jobs.size(), jobs.size() > 1 && isatty(STDERR_FILENO));
    if (!o.book.empty()) {
        const int status = MakeBook(o, workers, jobSettings, progress);
        progress.End();
        return status;
    }
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
    RunOnThreads(workers, progress, work);
    progress.End();
    return anyFailed ? 1 : 0;
}
