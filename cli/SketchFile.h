// One picture file in, its sketch file out: decode, copy as the desktop
// program does, composite onto white, filter, paint, save by extension.
#pragma once

#include <string>

#include "cli/CliOptions.h"

struct SketchOutcome {
    bool ok = false;
    std::string reason;  // why not, in the system's own words; one line
};

// Routes the image file services' messages into SketchOutcome::reason of the
// job on the calling thread. Call once, before any job runs.
void InstallSketchMessageSink();

// Never throws; a failure comes back with its reason.
SketchOutcome SketchFile(const std::string& input, const std::string& output, const SketchSettings& settings);
