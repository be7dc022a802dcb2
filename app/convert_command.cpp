#include "app/convert_command.h"

namespace lumapress {

ConvertCheck CheckConvert(const DialogFields& fields, std::span<const std::string> inputPaths,
                          ConversionUser& user) {
  ExchangeResult taken = TakeFields(fields);
  if (taken.error) {
    user.ShowMessage(taken.error->message);
    return {ConvertOutcome::InvalidField, taken.error->field, {}};
  }
  if (inputPaths.empty()) {
    user.ShowMessage(kNoInputMessage);
    return {ConvertOutcome::NoInputImages, std::nullopt, {}};
  }
  if (taken.settings.outputPath.empty()) {
    user.ShowMessage(taken.settings.batchMode ? kNoOutputFolderMessage : kNoOutputFileMessage);
    return {ConvertOutcome::NoOutputPath, std::nullopt, {}};
  }
  return {ConvertOutcome::Ready, std::nullopt, std::move(taken.settings)};
}

ConvertOutcome ReportRunEnd(int status, ConversionUser& user) {
  if (status != 0) return ConvertOutcome::Stopped;
  user.ShowMessage(kConvertedMessage);
  return ConvertOutcome::Converted;
}

}  // namespace lumapress
