#pragma once

#include <string>
#include <string_view>

#include "platform/path_rules.h"

namespace lumapress {

// The output field's text after the batch-mode box changed to `batchMode`: switching on drops
// a final ".swf" (any case), switching off adds one unless it is there.
std::string OutputPathForMode(std::string_view text, bool batchMode);

// A chosen file name without an extension gets `extension` (".swf") appended.
std::string WithDefaultExtension(std::string_view path, std::string_view extension,
                                 PathStyle style = kNativePathStyle);

}  // namespace lumapress
