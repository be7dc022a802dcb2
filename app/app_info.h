#pragma once

#include <string_view>

namespace lumapress {

// Caption of every message box and the start of the window title.
inline constexpr std::string_view kAppName = "Lumapress";
// The maker's web page: shown in the title and opened by the banner.
inline constexpr std::string_view kMakerWebAddress = "https://lumapress.example/";

}  // namespace lumapress
