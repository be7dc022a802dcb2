#pragma once

#include <functional>
#include <string_view>

namespace lumapress {

// Where the writer's and the encoder glue's diagnostic lines go ("warning: shorttag size
// exceeded!\n", the compression statistics, ...). Standard output unless a front end
// installs its own sink. Safe to call from several conversion threads at once.
using DiagnosticsSink = std::function<void(std::string_view text)>;

// Installs `sink`; an empty sink restores standard output. Returns the previous sink.
DiagnosticsSink SetDiagnosticsSink(DiagnosticsSink sink);

// Sends `text` to the current sink as it stands (no line end is added).
void Diagnose(std::string_view text);

// printf-style formatting, then Diagnose.
void DiagnoseFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace lumapress
