// Command line of velmor-sketch: what to sketch, where to, and with which
// parameters. Parsing never exits; the caller prints and chooses the status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imageio/PageLayout.h"
#include "pipeline/SketchParameters.h"

struct CliOptions {
    std::vector<std::string> inputs;
    std::string output;      // -o: the one input's sketch
    std::string outputDir;   // -d: where generated names go (default: beside the input)
    std::string type = "png";  // -t: extension of generated names, without the dot
    SketchParameters settings;
    int jobs = 0;            // 0: number of cores
    bool png24 = false;      // --png24: PNG sketches as 24-bit RGB, never palette
    const PaperSize* page = nullptr;  // --page: each sketch a one-page PDF of this paper
    std::string book;        // --book: every sketch a page of this one PDF, in input order
    bool help = false;
    bool version = false;
};

struct ParseResult {
    std::optional<CliOptions> options;  // empty on a usage error
    std::string error;                  // the usage error, one line
};

ParseResult ParseCommandLine(const std::vector<std::string>& args);

// "#RRGGBB" or "RRGGBB" to a Colour (red in the low byte).
std::optional<Colour> ParseColour(const std::string& text);

// Where the sketch of `input` goes when no -o is given:
// DIR/<name>_shitae.<type>, <name> being the file name cut before its last ".".
std::string OutputPathFor(const std::string& input, const std::string& outputDir, const std::string& type);

const char* UsageText();
