#include "app/artwork.h"
#include "app/programlife.h"
#include "forms/formtable.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentrel"));
    zentrel::applyFormStyle();
    QApplication::setWindowIcon(QIcon(zentrel::artwork::emblem(64)));
    return zentrel::runProgram();
}
