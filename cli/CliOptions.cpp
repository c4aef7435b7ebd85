#include "cli/CliOptions.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "imageio/ImageFileTypes.h"

namespace {

std::optional<int> ParseInt(const std::string& s, int lo, int hi) {
    int v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || v < lo || v > hi) return std::nullopt;
    return v;
}

std::string Range(const IntParameter& p) { return std::to_string(p.min) + ".." + std::to_string(p.max); }

// Extensions compare without regard to the case of A to Z, as the save does.
bool IsKnownExtension(const std::string& dotted) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const ImageFileType& t : ImageFileTypes) {
        const std::string_view ext = t.extension;
        if (ext.size() != dotted.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < ext.size() && same; ++i) same = lower(dotted[i]) == ext[i];
        if (same) return true;
    }
    return false;
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
    auto fail = [](std::string why) { return ParseResult{std::nullopt, std::move(why)}; };
    bool onlyInputs = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyInputs || a.empty() || a[0] != '-' || a == "-") {
            o.inputs.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyInputs = true;
            continue;
        }
        // Long options may carry their value after "=".
        std::string name = a, value;
        bool inlineValue = false;
        if (a.rfind("--", 0) == 0) {
            const std::size_t eq = a.find('=');
            if (eq != std::string::npos) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
                inlineValue = true;
            }
        }
        auto takeValue = [&](std::string* out) -> bool {
            if (inlineValue) {
                *out = value;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        auto is = [&](const char* s, const char* l) { return name == s || name == l; };

        if (is("-h", "--help")) {
            o.help = true;
        } else if (is("-V", "--version")) {
            o.version = true;
        } else if (is("-n", "--denoise")) {
            o.settings.noiseRemoval = true;
        } else if (is("-o", "--output") || is("-d", "--output-dir") || is("-t", "--type") ||
                   is("-s", "--strength") || is("-r", "--remove") || is("-c", "--line-color") ||
                   is("-F", "--frame-color") || is("-j", "--jobs")) {
            std::string v;
            if (!takeValue(&v)) return fail("option " + name + " needs a value");
            if (is("-o", "--output")) {
                if (v.empty()) return fail("-o needs a file name");
                o.output = v;
            } else if (is("-d", "--output-dir")) {
                if (v.empty()) return fail("-d needs a folder");
                o.outputDir = v;
            } else if (is("-t", "--type")) {
                if (!v.empty() && v[0] == '.') v.erase(0, 1);
                if (!IsKnownExtension("." + v))
                    return fail("unsupported type '" + v + "' (bmp, jpg, jpeg, jpe, png, gif, tif, tiff)");
                o.type = v;
            } else if (is("-s", "--strength")) {
                auto n = ParseInt(v, kLineStrength.min, kLineStrength.max);
                if (!n) return fail("line strength must be " + Range(kLineStrength) + ", not '" + v + "'");
                o.settings.strength = *n;
            } else if (is("-r", "--remove")) {
                auto n = ParseInt(v, kLineRemoval.min, kLineRemoval.max);
                if (!n) return fail("faint-line removal must be " + Range(kLineRemoval) + ", not '" + v + "'");
                o.settings.removal = *n;
            } else if (is("-c", "--line-color") || is("-F", "--frame-color")) {
                auto c = ParseColour(v);
                if (!c) return fail("colour must be #RRGGBB, not '" + v + "'");
                (is("-c", "--line-color") ? o.settings.lineColour : o.settings.frameColour) = *c;
            } else {
                auto n = ParseInt(v, 1, 1024);
                if (!n) return fail("jobs must be 1..1024, not '" + v + "'");
                o.jobs = *n;
            }
        } else {
            return fail("unknown option " + name);
        }
    }
    if (o.help || o.version) return ParseResult{std::move(o), {}};
    if (o.inputs.empty()) return fail("no input picture");
    if (!o.output.empty() && o.inputs.size() > 1) return fail("-o takes exactly one input");
    if (!o.output.empty() && !o.outputDir.empty()) return fail("-o and -d exclude each other");
    if (!o.output.empty()) {
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
           "Makes the line drawing (sketch) of each INPUT picture.\n"
           "\n"
           "  -o, --output FILE         the sketch of the one INPUT; format by FILE's extension\n"
           "                            (bmp, jpg, jpeg, jpe, png, gif, tif, tiff)\n"
           "  -d, --output-dir DIR      each sketch as DIR/<name>_shitae.<ext> (default: beside its input)\n"
           "  -t, --type EXT            extension for names the tool makes (default png)\n"
           "  -s, --strength N          line strength 1..11 (default 3)\n"
           "  -r, --remove N            faint-line removal 0..10 (default 0)\n"
           "  -n, --denoise             noise removal (for photographs)\n"
           "  -c, --line-color #RRGGBB  line colour (default #000080)\n"
           "  -F, --frame-color #RRGGBB frame colour (default #FFFFFF)\n"
           "  -j, --jobs N              files in parallel (default: number of cores)\n"
           "  -h, --help                this text\n"
           "  -V, --version             the version\n"
           "\n"
           "Exit status: 0 every sketch written, 1 some input failed, 2 usage error.\n";
}
