// The folder for the temporary pictures handed to an external viewer, private
// to the user: $XDG_RUNTIME_DIR/velmor/ when that variable names an absolute
// folder the user owns and may write (one inherited through su does not
// count), otherwise velmor-<uid>/ in $TMPDIR (absolute) or /tmp. The folder
// is created with mode 0700 if missing and then must be a real folder (not a
// symbolic link), owned by the user and closed to group and others; a shared
// temporary folder could otherwise hand the viewer's files to someone else.
// When velmor-<uid> is taken or broken, a fresh private velmor-<uid>-XXXXXX
// is made beside it (once a run) rather than failing for good.
#pragma once

#include <optional>
#include <string>

#include "imageio/ImageFileError.h"

// Fills `folder` with the path ending in "/" (at most 259 bytes) and returns
// nothing; otherwise empties `folder` and returns the failure, whose message
// is "一時保存ディレクトリを取得できませんでした。".
std::optional<ImageFileError> TryGetTempFolder(std::string& folder);
