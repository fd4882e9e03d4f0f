#include "app/artwork.h"
#include "app/programlife.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentrel"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
    QApplication::setWindowIcon(QIcon(zentrel::artwork::emblem(64)));
    return zentrel::runProgram();
}
