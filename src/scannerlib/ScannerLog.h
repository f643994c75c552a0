#pragma once

#include <string_view>

// What the library has to say: the program's debug routine gets every note, one byte at a time;
// faults the user can act on (a refused feed, a device that cannot be opened) also go to
// standard error, the log a desktop session keeps for the program.
namespace scannerlib {

using DebugCallback = void (*)(unsigned char byte);

// Safe from any thread; the routine may therefore be called on the library's own threads.
void SetDebugCallback(DebugCallback callback);
void Note(std::string_view text);
void Warn(std::string_view text);

}  // namespace scannerlib
