#include "conversion/run_conversion.h"

namespace lumapress {

// Placeholder until the conversion driver lands: reports that nothing was converted.
int RunConversion(const ConversionSettings&, std::span<const std::string>, ConversionUser& user,
                  const ProgressCallback&) {
  user.ShowMessage("Conversion is not available in this build.");
  return -1;
}

}  // namespace lumapress
