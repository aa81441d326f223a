#include "command_line_file.h"

#include <QFileInfo>

#include "open_nmea_file.h"

namespace torvane::app {

bool OpenCommandLineFile(OpenNMEAFile& window, const QStringList& arguments) {
    if (arguments.size() < 2) return false;
    return window.SelectInputFile(QFileInfo(arguments.at(1)).absoluteFilePath());
}

}  // namespace torvane::app
