#include "cli/CliOptions.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

#include "imageio/SaveImage.h"

namespace {

std::optional<int> ParseInt(const std::string& s, int lo, int hi) {
    int v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || v < lo || v > hi) return std::nullopt;
    return v;
}

std::string Range(const IntParameter& p) { return std::to_string(p.min) + ".." + std::to_string(p.max); }

// The numeric sketch options: letter, name in messages, range, field.
struct IntSetting {
    int option;
    const char* name;
    const IntParameter* range;
    int SketchParameters::*field;
};
constexpr IntSetting kIntSettings[] = {
    {'s', "line strength", &kLineStrength, &SketchParameters::strength},
    {'r', "faint-line removal", &kLineRemoval, &SketchParameters::removal},
    {'w', "line thickening", &kLineThicken, &SketchParameters::thicken},
    {'k', "speck removal", &kSpeckRemoval, &SketchParameters::despeckle},
};

// Extensions compare as the save compares them.
bool IsKnownExtension(const std::string& dotted) { return MimeTypeForExtension(dotted) != nullptr; }

bool IsPdfName(const std::string& path) {
    std::string extension(FindPathExtension(path));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension == ".pdf" && path.size() > extension.size() && path[path.size() - extension.size() - 1] != '/';
}

}  // namespace

std::optional<Colour> ParseColour(const std::string& text) {
    std::string s = text;
    if (!s.empty() && s[0] == '#') s.erase(0, 1);
    if (s.size() != 6) return std::nullopt;
    unsigned rgb = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + 6, rgb, 16);
    if (ec != std::errc() || p != s.data() + 6) return std::nullopt;
    const unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return static_cast<Colour>(r | (g << 8) | (b << 16));
}

std::string OutputPathFor(const std::string& input, const std::string& outputDir, const std::string& type) {
    const std::size_t slash = input.find_last_of('/');
    std::string dir = slash == std::string::npos ? std::string() : input.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    if (!outputDir.empty()) {
        dir = outputDir;
        if (dir.back() != '/') dir += '/';
    }
    return dir + name + "_shitae." + type;
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    CliOptions o;
    bool typeGiven = false;  // -t, which PDF output leaves no room for
    auto fail = [](std::string why) { return ParseResult{std::nullopt, std::move(why)}; };

    constexpr int kPng24 = 256;  // long options without a short form
    constexpr int kPage = 257;
    constexpr int kBook = 258;
    // getopt_long, the GNU way: "-s5", "--strength=5", "-nj2", options after
    // inputs, "--" to end them, "-" an input (standard input).
    static const option kLong[] = {
        {"output", required_argument, nullptr, 'o'},     {"output-dir", required_argument, nullptr, 'd'},
        {"type", required_argument, nullptr, 't'},       {"strength", required_argument, nullptr, 's'},
        {"remove", required_argument, nullptr, 'r'},     {"denoise", no_argument, nullptr, 'n'},
        {"line-color", required_argument, nullptr, 'c'}, {"frame-color", required_argument, nullptr, 'F'},
        {"jobs", required_argument, nullptr, 'j'},       {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},          {"png24", no_argument, nullptr, kPng24},
        {"page", required_argument, nullptr, kPage},     {"book", required_argument, nullptr, kBook},
        {"thicken", required_argument, nullptr, 'w'},    {"despeckle", required_argument, nullptr, 'k'},
        {nullptr, 0, nullptr, 0},
    };
    std::vector<std::string> storage;
    storage.reserve(args.size() + 1);
    storage.push_back("velmor-sketch");
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    // The parser keeps its state in globals: one parse at a time, from the start.
    static std::mutex parsing;
    const std::lock_guard<std::mutex> guard(parsing);
    optind = 0;  // 0: GNU getopt starts afresh
    opterr = 0;  // the messages are ours, one line
    for (int c, index = -1; (c = getopt_long(argc, argv.data(), ":o:d:t:s:r:w:k:nc:F:j:hV", kLong, &index)) != -1;
         index = -1) {
        const std::string v = optarg != nullptr ? optarg : "";
        switch (c) {
        case 'h': o.help = true; break;
        case kPng24: o.png24 = true; break;
        case kPage:
            o.page = FindPaperSize(v);
            if (o.page == nullptr) return fail("paper must be A4 or Letter, not '" + v + "'");
            break;
        case kBook:
            if (v.empty()) return fail("--book needs a file name");
            o.book = v;
            break;
        case 'V': o.version = true; break;
        case 'n': o.settings.noiseRemoval = true; break;
        case 'o':
            if (v.empty()) return fail("-o needs a file name");
            o.output = v;
            break;
        case 'd':
            if (v.empty()) return fail("-d needs a folder");
            o.outputDir = v;
            break;
        case 't': {
            std::string type = v;
            if (!type.empty() && type[0] == '.') type.erase(0, 1);
            if (!IsKnownExtension("." + type))
                return fail("unsupported type '" + type + "' (bmp, jpg, jpeg, jpe, png, gif, tif, tiff)");
            o.type = type;
            typeGiven = true;
            break;
        }
        case 's':
        case 'r':
        case 'w':
        case 'k': {
            const IntSetting& setting = *std::find_if(std::begin(kIntSettings), std::end(kIntSettings),
                                                      [c](const IntSetting& i) { return i.option == c; });
            auto n = ParseInt(v, setting.range->min, setting.range->max);
            if (!n) return fail(std::string(setting.name) + " must be " + Range(*setting.range) + ", not '" + v + "'");
            o.settings.*setting.field = *n;
            break;
        }
        case 'c':
        case 'F': {
            auto colour = ParseColour(v);
            if (!colour) return fail("colour must be #RRGGBB, not '" + v + "'");
            (c == 'c' ? o.settings.lineColour : o.settings.frameColour) = *colour;
            break;
        }
        case 'j': {
            auto n = ParseInt(v, 1, 1024);
            if (!n) return fail("jobs must be 1..1024, not '" + v + "'");
            o.jobs = *n;
            break;
        }
        case ':':
            return fail("option " + std::string(argv[optind - 1]) + " needs a value");
        default: {  // '?'
            const std::string word = argv[optind - 1] != nullptr ? argv[optind - 1] : "";
            if (word.rfind("--", 0) == 0) {
                const std::size_t eq = word.find('=');
                if (optopt != 0 && eq != std::string::npos)
                    return fail("option " + word.substr(0, eq) + " takes no value");
                return fail("unknown option " + word.substr(0, eq));
            }
            return fail("unknown option -" + std::string(1, static_cast<char>(optopt)));
        }
        }
    }
    for (int i = optind; i < argc; ++i) o.inputs.emplace_back(argv[i]);
    if (o.help || o.version) return ParseResult{std::move(o), {}};
    if (o.inputs.empty()) return fail("no input picture");
    if (!o.book.empty()) {
        if (!o.output.empty()) return fail("--book and -o exclude each other");
        if (!o.outputDir.empty()) return fail("--book and -d exclude each other");
        if (typeGiven) return fail("--book and -t exclude each other");
        if (!IsPdfName(o.book)) return fail("book '" + o.book + "' needs the extension pdf");
        if (o.page == nullptr) o.page = &kPaperA4;
        return ParseResult{std::move(o), {}};
    }
    if (o.page != nullptr) {
        if (typeGiven) return fail("--page and -t exclude each other");
        if (o.output == "-") return fail("--page writes files, not standard output");
        if (!o.output.empty() && !IsPdfName(o.output)) return fail("output '" + o.output + "' needs the extension pdf");
    }
    if (!o.output.empty() && o.inputs.size() > 1) return fail("-o takes exactly one input");
    if (!o.output.empty() && !o.outputDir.empty()) return fail("-o and -d exclude each other");
    if (o.output.empty() && std::find(o.inputs.begin(), o.inputs.end(), "-") != o.inputs.end())
        return fail("standard input (-) needs -o FILE or -o -");
    if (!o.output.empty() && o.output != "-" && o.page == nullptr) {
        const std::size_t slash = o.output.find_last_of('/');
        const std::size_t dot = o.output.rfind('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
            !IsKnownExtension(o.output.substr(dot)))
            return fail("output '" + o.output + "' needs one of the extensions bmp, jpg, jpeg, jpe, png, gif, tif, tiff");
    }
    return ParseResult{std::move(o), {}};
}

const char* UsageText() {
    return "Usage: velmor-sketch [OPTIONS] INPUT...\n"
           "Makes the line drawing (sketch) of each INPUT picture; - reads standard input.\n"
           "\n"
           "  -o, --output FILE         the sketch of the one INPUT; format by FILE's extension\n"
           "                            (bmp, jpg, jpeg, jpe, png, gif, tif, tiff);\n"
           "                            - writes it to standard output in the -t format\n"
           "  -d, --output-dir DIR      each sketch as DIR/<name>_shitae.<ext> (default: beside its input)\n"
           "  -t, --type EXT            extension for names the tool makes (default png)\n"
           "  -s, --strength N          line strength 1..11 (default 3)\n"
           "  -r, --remove N            faint-line removal 0..10 (default 0)\n"
           "  -w, --thicken N           line thickening 0..4: lines grow by N pixels (default 0)\n"
           "  -k, --despeckle N         speck removal 0..10: specks under 4, 8 .. 2048 pixels go\n"
           "                            (default 0, off)\n"
           "  -n, --denoise             noise removal (for photographs)\n"
           "  -c, --line-color #RRGGBB  line colour (default #000080)\n"
           "  -F, --frame-color #RRGGBB frame colour (default #FFFFFF)\n"
           "  -j, --jobs N              files in parallel (default: number of cores; 1 for --book)\n"
           "      --png24               PNG sketches as 24-bit RGB (default: 8-bit palette\n"
           "                            whenever the colours fit; the same pixels either way)\n"
           "      --page A4|Letter      each sketch as a one-page PDF, <name>_shitae.pdf or -o FILE.pdf,\n"
           "                            fitted to the paper less 10 mm margins at 300 dpi\n"
           "      --book FILE.pdf       every sketch a page of FILE.pdf, in the order given\n"
           "                            (paper by --page, default A4); not with -o, -d or -t\n"
           "  -h, --help                this text\n"
           "  -V, --version             the version\n"
           "\n"
           "Exit status: 0 every sketch written, 1 some input failed, 2 usage error.\n";
}
