#include "app/aboutbox.h"

#include "app/artwork.h"
#include "terminal/messagesink.h"
#include "version.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zentrel {

namespace {

// Text that wraps inside its box, from the top left corner.
void addParagraph(const QString &name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *paragraph = new QLabel(text, parent);
    paragraph->setObjectName(name);
    paragraph->setWordWrap(true);
    paragraph->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    paragraph->setGeometry(geometry);
}

} // namespace

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Zentrel"));
    setFixedSize(382, 250);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(artwork::emblem(64));
    picture->setGeometry(16, 16, 64, 64);

    auto *title = new QLabel(kAppTitle, this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    title->setGeometry(96, 16, 270, 28);

    auto *version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setGeometry(96, 46, 270, 18);

    addParagraph(QStringLiteral("lblDescription"),
                 QStringLiteral("A serial terminal for show-control audio and video equipment: "
                                "ready-made commands for four playback devices and a show "
                                "controller, custom byte strings and a log of every byte on the "
                                "line."),
                 QRect(96, 70, 270, 70), this);

    // The etched separator: a grey line with a white one beside it.
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, 150, 366, 2);

    addParagraph(QStringLiteral("lblDisclaimer"),
                 QStringLiteral("Warning: ...\nThis program is unstable when used in the "
                                "gravitational field of a collapsing star. Use at your own risk!"),
                 QRect(16, 162, 262, 76), this);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setGeometry(290, 206, 80, 28);
    // Enter presses the default button; Escape rejects; both close the box.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString AboutBox::versionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(version::major)
        .arg(version::minor)
        .arg(version::revision);
}

} // namespace zentrel
