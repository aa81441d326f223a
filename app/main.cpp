// torvane: the desktop program.
#include <QApplication>
#include <QByteArrayList>

#include <cstdio>
#include <string>

#include "command_line_file.h"
#include "convert/about.h"
#include "convert/settings.h"
#include "open_nmea_file.h"

namespace {

// The arguments as the bytes the shell gave, not read as text.
QByteArrayList Arguments(int argc, char** argv) {
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i) arguments << QByteArray(argv[i]);
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version answer on standard output, without a display.
    if (const std::string reply = torvane::app::CommandLineReply(Arguments(argc, argv)); !reply.empty()) {
        return std::fputs(reply.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvane"));
    QApplication::setApplicationVersion(QStringLiteral(TORVANE_VERSION));

    torvane::Settings settings;
    torvane::app::OpenNMEAFile window(settings);
    // Qt has taken its own options (-platform ...) out of argv by now.
    torvane::app::OpenCommandLineFile(window, Arguments(argc, argv));
    window.show();
    return QApplication::exec();
}
