#pragma once

#include <wx/string.h>

#include <string>

namespace lumapress {

// Paths are UTF-8 byte strings throughout the program. On Windows wx speaks UTF-16 and the
// conversion is UTF-8's; elsewhere the bytes are shown in the file-name encoding and handed
// to the system unchanged.
#ifdef _WIN32
inline wxString PathToText(const std::string& path) { return wxString::FromUTF8(path); }
inline std::string TextToPath(const wxString& text) { return text.utf8_string(); }
#else
inline wxString PathToText(const std::string& path) { return wxString(path.c_str(), *wxConvFileName); }
inline std::string TextToPath(const wxString& text) {
  const wxCharBuffer bytes = text.mb_str(*wxConvFileName);
  return bytes.data() != nullptr ? std::string(bytes.data()) : std::string();
}
#endif

}  // namespace lumapress
