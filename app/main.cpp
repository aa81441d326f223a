// torvane: the desktop program.
#include <QApplication>

#include "convert/settings.h"
#include "open_nmea_file.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvane"));
    QApplication::setApplicationVersion(QStringLiteral("6.5"));

    torvane::Settings settings;
    torvane::app::OpenNMEAFile window(settings);
    window.show();
    return QApplication::exec();
}
