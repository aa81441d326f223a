// The desktop program's command line: `torvane FILE` (as the desktop
// entry's "Open with" starts it), `torvane --help` and `torvane --version`.
#pragma once

#include <QByteArrayList>
#include <QStringList>

#include <string>

namespace torvane::app {

class OpenNMEAFile;

// What `torvane --help` or `torvane --version` prints instead of opening
// the window; empty for any other command line.
std::string CommandLineReply(const QByteArrayList& arguments);

// Chooses the first argument after the program's name as the input, as a
// click in the file list would; the argument's bytes name the file, in
// whatever encoding. False when there is none or it names no regular file;
// the window then stays as it started, but for a message area that says why
// the path was not chosen ("Cannot read input file PATH: Is a directory.").
bool OpenCommandLineFile(OpenNMEAFile& window, const QByteArrayList& arguments);
bool OpenCommandLineFile(OpenNMEAFile& window, const QStringList& arguments);

}  // namespace torvane::app
