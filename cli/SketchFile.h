// One picture file in, its sketch file out: decode, copy as the desktop
// program does, then the shared sketch pipeline, then save by extension.
#pragma once

#include <memory>
#include <string>

#include "imageio/PageLayout.h"
#include "imaging/codecs/DecodeLimits.h"
#include "imaging/picture/Picture.h"
#include "pipeline/SketchParameters.h"

struct SketchOutcome {
    bool ok = false;
    std::string reason;  // why not, in the system's own words; one line
};

struct SketchJob {
    imaging::DecodeLimits limits;  // this job's share of the memory
    int threads = 0;               // bands of one picture (0: one per core)
    std::string streamType = "png";  // the format written when the output is "-"
    bool palettePng = true;          // PNG as 8-bit palette when the colours fit
    const PaperSize* page = nullptr;   // set: the output is a one-page PDF of this paper
};

// The window's messages span lines; a diagnostic is one: line breaks
// become spaces, trailing ones go.
std::string OneLine(std::string text);

// "-" as input reads standard input; "-" as output writes standard output.
// Never throws; a failure comes back with its reason.
SketchOutcome SketchFile(const std::string& input, const std::string& output, const SketchParameters& parameters,
                         const SketchJob& job = {});

// The sketch itself, 24-bit, for a caller that writes it in a form of its
// own (a page of a book). `sketch` is set on success only.
SketchOutcome SketchPicture(const std::string& input, const SketchParameters& parameters, const SketchJob& job,
                            std::unique_ptr<imaging::Picture>& sketch);
