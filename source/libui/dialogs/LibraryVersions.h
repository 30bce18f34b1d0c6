#pragma once

#include <QString>

// The versions of the libraries the program runs with, as they report them.
// Kept apart from namespace UI: a crypto library header declares a global
// type of that name.
namespace LibraryVersions {

// The crypto library's own version line, e.g. "OpenSSL 3.0.19 27 Jan 2026".
QString openSsl();
// The codec library's version as major, minor and micro numbers.
int avcodecMajor();
int avcodecMinor();
int avcodecMicro();

} // namespace LibraryVersions
