// torvane: the desktop program.
#include <QApplication>

#include "convert/about.h"
#include "convert/settings.h"
#include "command_line_file.h"
#include "open_nmea_file.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvane"));
    QApplication::setApplicationVersion(QStringLiteral(TORVANE_VERSION));

    torvane::Settings settings;
    torvane::app::OpenNMEAFile window(settings);
    torvane::app::OpenCommandLineFile(window, QApplication::arguments());
    window.show();
    return QApplication::exec();
}
