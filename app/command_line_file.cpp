#include "command_line_file.h"

#include <QFile>

#include "convert/about.h"
#include "open_nmea_file.h"

namespace torvane::app {

std::string CommandLineReply(const QByteArrayList& arguments) {
    if (arguments.size() < 2) return {};
    const QByteArray& first = arguments.at(1);
    if (first == "--version" || first == "-v") return "torvane " + std::string(kProgramVersion) + "\n";
    if (first == "--help" || first == "-h") {
        return "Usage: torvane [FILE]\n"
               "       torvane --help | --version\n"
               "\n"
               "Opens the Torvane window, which converts a GPS track log (NMEA, IGC, GPX)\n"
               "into a data table, a KML path or a TOP overlay. With FILE, the file is\n"
               "chosen as the input and ANALYZE is ready. For scripts, see torvane-cli.\n";
    }
    return {};
}

bool OpenCommandLineFile(OpenNMEAFile& window, const QByteArrayList& arguments) {
    if (arguments.size() < 2) return false;
    return window.SelectInputFileOrSayWhy(arguments.at(1));
}

bool OpenCommandLineFile(OpenNMEAFile& window, const QStringList& arguments) {
    QByteArrayList bytes;
    for (const QString& argument : arguments) bytes << QFile::encodeName(argument);
    return OpenCommandLineFile(window, bytes);
}

}  // namespace torvane::app
