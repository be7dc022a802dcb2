#include "app/convert_command.h"

namespace lumapress {

ConvertResult Convert(const DialogFields& fields, std::span<const std::string> inputPaths,
                      ConversionUser& user, const ConversionRunner& run) {
  const ExchangeResult taken = TakeFields(fields);
  if (taken.error) {
    user.ShowMessage(taken.error->message);
    return {ConvertOutcome::InvalidField, taken.error->field};
  }
  if (inputPaths.empty()) {
    user.ShowMessage(kNoInputMessage);
    return {ConvertOutcome::NoInputImages, std::nullopt};
  }
  if (taken.settings.outputPath.empty()) {
    user.ShowMessage(taken.settings.batchMode ? kNoOutputFolderMessage : kNoOutputFileMessage);
    return {ConvertOutcome::NoOutputPath, std::nullopt};
  }
  if (run(taken.settings, inputPaths, user) != 0) return {ConvertOutcome::Stopped, std::nullopt};
  user.ShowMessage(kConvertedMessage);
  return {ConvertOutcome::Converted, std::nullopt};
}

}  // namespace lumapress
