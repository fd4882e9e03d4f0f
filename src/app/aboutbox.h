#pragma once

#include <QDialog>

namespace zentrel {

// Title, version, what the program is for, and the usual warning.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent);

    static QString versionText();
};

} // namespace zentrel
