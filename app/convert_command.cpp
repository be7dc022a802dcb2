#include "app/convert_command.h"

#include <algorithm>
#include <thread>

namespace lumapress {
namespace {

ConvertOutcome OutcomeOf(Status status) {
  switch (status) {
    case Status::kOk: return ConvertOutcome::Converted;
    case Status::kNoInputs: return ConvertOutcome::NoInputImages;
    case Status::kNoOutputFile:
    case Status::kNoOutputFolder: return ConvertOutcome::NoOutputPath;
    default: return ConvertOutcome::Stopped;
  }
}

}  // namespace

ConvertCheck CheckConvert(const DialogFields& fields, std::span<const std::string> inputPaths,
                          DialogUser& user) {
  ExchangeResult taken = TakeFields(fields);
  if (taken.error) {
    user.ShowMessage(taken.error->message);
    return {ConvertOutcome::InvalidField, taken.error->field, {}};
  }
  // Images are prepared on every core; the movies are the same bytes whatever the number.
  taken.settings.jobs = std::clamp(std::thread::hardware_concurrency(), kMinJobs, kMaxJobs);
  const ConversionResult checked = CheckSettings(taken.settings, inputPaths.size());
  if (!checked.ok()) {
    user.ShowMessage(checked.message);
    return {OutcomeOf(checked.status), std::nullopt, {}};
  }
  return {ConvertOutcome::Ready, std::nullopt, std::move(taken.settings)};
}

ConvertOutcome ReportRunEnd(const ConversionResult& result, DialogUser& user) {
  if (result.status != Status::kFolderDeclined && result.status != Status::kCancelled) {
    user.ShowMessage(result.message);
  }
  return OutcomeOf(result.status);
}

}  // namespace lumapress
