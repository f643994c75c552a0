#pragma once

#include <QString>

#include "app/DatabasePath.h"

// The program's side of the scanner library: loading it from the program's folder (or, for an
// installed copy, its library folder) and hooking it for the life of the main window.
namespace ScannerFunctions {

// The library's file name.
inline const QString kLibraryFileName = AppFunctions::kScannerLibraryFileName;

// Loads the library (once) and hooks it: SetDebugCallback with ScannerDebug, then SetHook.
// A library that is missing or lacks one of its calls throws DatabaseError naming the file.
void HookScanner();
// UnHook; nothing happens when the library was never loaded.
void UnhookScanner();

// The library's debug output, one byte at a time. Nothing reads it.
void ScannerDebug(unsigned char byte);

// Where HookScanner loads the library from: beside the executable, else the installed copy's
// library folder. Tests point it elsewhere; an empty path restores the default.
QString LibraryPath();
void SetLibraryPath(const QString& path);

// The polling side, called at each tick of the main window's ScannerTimer and the Add/Edit
// dialog's CheckCheck. Without a loaded library nothing is ever waiting and nothing is called.
//
// True when a complete code was waiting: the scanner's id, the code's type and the code are then
// fetched into their buffers, and the library is told at once that the code was taken, so that
// exactly one of the polling timers gets it.
bool CheckScanner();
// The last fetched code reduced to ASCII letters and digits (the buffer's filling blanks and
// terminating zero dropped); the same text until the next successful CheckScanner.
QString ScannedCode();
// The library's own call: 0 marks a waiting code as taken.
void SetCodeComplete(qint32 complete);

}  // namespace ScannerFunctions
