#pragma once

#include <QString>

// Where the program's files are. A copy in a folder of its own keeps its database beside the
// executable when it may write there; an installed copy (an executable in <prefix>/bin, its other
// files under <prefix>/lib and <prefix>/share) keeps it in the user's data folder, even where the
// prefix is the user's own (~/.local): a collection must never land among programs.
namespace AppFunctions {

// The scanner library's file name. Beside the executable it marks a program folder of its own;
// an installed copy keeps it in InstalledLibraryFolder.
inline const QString kScannerLibraryFileName = QStringLiteral("libreelkeeper_scanner.so");

// The full path of "ReelKeeper.mdb" for this process.
QString DatabasePath();

// The same choice for a given program folder; the result's folder may not exist yet. Throws
// DatabaseError, naming the file and what the user can do, rather than start on a new, empty
// collection while the user's collection is elsewhere: in a program folder that cannot be
// written, or (for an installed copy) in ~/ReelKeeper or $REELKEEPER_HOME, where scripts/run.sh
// keeps its copy. Also throws when no absolute data folder can be found.
QString DatabasePathFor(const QString& programFolder);

// The folder of the running executable (from /proc/self/exe).
QString ProgramFolder();

// True unless the scanner library is beside the executable.
bool IsInstalledCopy(const QString& programFolder);

// Where an installed copy keeps its scanner library and its user guide, found from its own
// folder, so that a prefix may be installed, copied or moved anywhere.
QString InstalledLibraryFolder(const QString& programFolder);
QString DocumentationFolder(const QString& programFolder);

// $XDG_DATA_HOME/ReelKeeper, or ~/.local/share/ReelKeeper when XDG_DATA_HOME is unset or not an
// absolute path (the XDG rules); empty when the home folder is not an absolute path either.
QString UserDataFolder();

}  // namespace AppFunctions
