// Writes the program's emblem as the PNG icon its desktop entry names.

#include "app/artwork.h"

#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: zentrel-rendericon <size> <file.png>\n", stderr);
        return 2;
    }
    const int size = arguments.at(1).toInt();
    if (size <= 0 || !zentrel::artwork::emblem(size).save(arguments.at(2), "PNG")) {
        std::fprintf(stderr, "zentrel-rendericon: cannot write %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
