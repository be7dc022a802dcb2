#include "conversion/output_preflight.h"

#include <string_view>
#include <unordered_map>

#include "conversion/file_identity.h"
#include "conversion/output_paths.h"
#include "platform/path_rules.h"

namespace lumapress {
namespace {

constexpr std::string_view kMovieExtension = ".swf";

ConversionResult AboutInput(ConversionResult result, size_t index) {
  result.inputIndex = index;
  return result;
}

// The files of a run that no movie may replace, and the movies planned so far, by key.
class RunFiles {
 public:
  RunFiles(const ConversionSettings& settings, std::span<const std::string> inputs)
      : settings_(settings), inputs_(inputs) {
    for (size_t i = 0; i < inputs.size(); ++i) inputKeys_.try_emplace(InspectPath(inputs[i]).key, i);
    if (!settings.controlFilePath.empty()) controlKey_ = InspectPath(settings.controlFilePath).key;
  }

  // Why the movie at `path`, for input `owner` (batch mode; kNoInput for the single movie),
  // cannot be written there because of the run's own files: kOk, kOutputIsInput,
  // kOutputIsControlFile or kOutputCollision, about the input it concerns.
  ConversionResult Clash(const std::string& path, const FileFacts& facts, size_t owner) const {
    if (const auto input = inputKeys_.find(facts.key); input != inputKeys_.end()) {
      return AboutInput(MakeResult(Status::kOutputIsInput, {path, inputs_[input->second]}), input->second);
    }
    if (!controlKey_.empty() && facts.key == controlKey_) {
      return AboutInput(MakeResult(Status::kOutputIsControlFile, {path, settings_.controlFilePath}), owner);
    }
    if (const auto earlier = movieKeys_.find(facts.key); earlier != movieKeys_.end()) {
      return AboutInput(MakeResult(Status::kOutputCollision, {inputs_[earlier->second], inputs_[owner], path}), owner);
    }
    return MakeResult(Status::kOk);
  }

  void AddMovie(const FileFacts& facts, size_t owner) { movieKeys_.try_emplace(facts.key, owner); }

 private:
  const ConversionSettings& settings_;
  std::span<const std::string> inputs_;
  std::unordered_map<std::string, size_t> inputKeys_;  // to the first input of that file
  std::string controlKey_;
  std::unordered_map<std::string, size_t> movieKeys_;  // to the input whose movie it is
};

// What is at the movie's path must be nothing, or a movie (reached directly or through links).
ConversionResult CheckReplaceable(const std::string& path, const FileFacts& facts) {
  switch (facts.kind) {
    case FileFacts::Kind::kMissing: return MakeResult(Status::kOk);
    case FileFacts::Kind::kRegular:
      return HoldsMovieOrNothing(facts.writePath) ? MakeResult(Status::kOk)
                                                 : MakeResult(Status::kOutputNotAMovie, {path});
    case FileFacts::Kind::kDirectory:
    case FileFacts::Kind::kSpecial:
    case FileFacts::Kind::kDanglingLink: return MakeResult(Status::kOutputNotAFile, {path});
  }
  return MakeResult(Status::kOutputNotAFile, {path});
}

}  // namespace

std::string RenamedMovie(const std::string& moviePath, size_t attempt) {
  const std::string stem = moviePath.substr(0, moviePath.size() - kMovieExtension.size());
  return stem + "-" + std::to_string(attempt) + std::string(kMovieExtension);
}

ConversionResult PlanOutputs(const ConversionSettings& settings, std::span<const std::string> inputs,
                             std::vector<PlannedMovie>& movies) {
  movies.clear();
  RunFiles files(settings, inputs);
  if (!settings.batchMode) {
    const FileFacts facts = InspectPath(settings.outputPath);
    if (auto clash = files.Clash(settings.outputPath, facts, ConversionResult::kNoInput); !clash.ok()) return clash;
    if (auto checked = CheckReplaceable(settings.outputPath, facts); !checked.ok()) return checked;
    movies.push_back({settings.outputPath, facts.writePath, facts.kind != FileFacts::Kind::kMissing});
    return MakeResult(Status::kOk);
  }
  const std::string folder = WithTrailingSeparator(settings.outputPath);
  movies.reserve(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    const std::string named = BatchMoviePath(folder, inputs[i]);
    std::string path = named;
    FileFacts facts = InspectPath(path);
    ConversionResult clash = files.Clash(path, facts, i);
    for (size_t attempt = 2; !clash.ok() && settings.renameCollisions && attempt <= kMaxRenameAttempts; ++attempt) {
      path = RenamedMovie(named, attempt);
      facts = InspectPath(path);
      clash = files.Clash(path, facts, i);
    }
    if (!clash.ok()) return clash;
    if (auto checked = CheckReplaceable(path, facts); !checked.ok()) return AboutInput(std::move(checked), i);
    files.AddMovie(facts, i);
    movies.push_back({path, facts.writePath, facts.kind != FileFacts::Kind::kMissing});
  }
  return MakeResult(Status::kOk);
}

}  // namespace lumapress
