// The file named on the desktop program's command line (`torvane FILE`, as
// the desktop entry's "Open with" starts it).
#pragma once

#include <QStringList>

namespace torvane::app {

class OpenNMEAFile;

// Chooses the first argument after the program's name as the input, as a
// click in the file list would. False when there is none or it names no
// regular file; the window then stays as it started.
bool OpenCommandLineFile(OpenNMEAFile& window, const QStringList& arguments);

}  // namespace torvane::app
