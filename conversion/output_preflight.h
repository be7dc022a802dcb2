#pragma once

#include <span>
#include <string>
#include <vector>

#include "lumapress/settings.h"
#include "lumapress/status.h"

namespace lumapress {

// One movie a run will write.
struct PlannedMovie {
  std::string path;       // as the user knows it: in messages and progress
  std::string writePath;  // the file replaced: the target of a symbolic link at `path`, else `path`
  bool existed = false;   // something was at writePath when the run was planned
};

// Resolves every movie a run of `settings` over `inputs` will write (the single movie, or one
// per input in batch mode) and checks each one before anything is written. A movie may not
// be an input, the control file or another movie of the run (whatever links or spellings lead
// there; a collision names both inputs), nor a directory, device, FIFO, socket or dangling
// link, nor an existing file that is not a movie. With settings.renameCollisions, a batch
// movie whose name is taken by an input, the control file or an earlier movie of the run is
// named stem-2.swf, stem-3.swf, ... instead (the first name free of them, in list order).
//
// A symbolic link at a movie's path is written through: the movie replaces the file it
// names and the link stays, so a link the user keeps (current.swf -> shows/may.swf) keeps
// working. The file must pass the same checks as any other.
//
// On success `movies` holds the movies (one, or one per input) and the result is kOk.
ConversionResult PlanOutputs(const ConversionSettings& settings, std::span<const std::string> inputs,
                             std::vector<PlannedMovie>& movies);

// A renamed batch movie: "out/a.swf" becomes "out/a-2.swf" for attempt 2.
std::string RenamedMovie(const std::string& moviePath, size_t attempt);
// Renamed batch movies try this many names at most; a run needs one more than it has inputs.
inline constexpr size_t kMaxRenameAttempts = 1'000'000;

}  // namespace lumapress
