#pragma once

namespace veltharn {

// Formats a developer diagnostic with printf rules in a 256-byte buffer (longer texts are cut),
// appends "\r\n" and writes it to the installed debug output. Returns 1.
int ReportDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace veltharn
