#pragma once

namespace lumapress {

// The whole command line: parse, check, convert, report. Returns the exit status.
int RunCli(int argc, const char* const* argv);

}  // namespace lumapress
