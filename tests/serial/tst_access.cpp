// Refused ports as an unprivileged user meets them: as root, each case builds real devices and lock
// files, then reruns this program through setpriv as uid and gid 65534 without groups (nobody).
#include "app/splashwindow.h"
#include "serial/portaccess.h"
#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/apppath.h"

#include <QProcess>
#include <grp.h>

using namespace zentrel;
using namespace zentrel::test;

// As nobody: start-up; given a lock to take meanwhile, the port is chosen again and a send tried.
static int runAsUser(const QStringList &args) // --user <app dir> <lock dir> [<lock> <pid>]
{
    overrideAppPath(args.at(2));
    com::overrideLockFolders({args.at(3)});
    RecordingMessages messages;
    std::unique_ptr<Terminal> window;
    SplashWindow(messages, [&] { window = std::make_unique<Terminal>(messages); }).GoProg_Timer();
    auto *list = window ? window->findChild<QComboBox *>(QStringLiteral("PortCmb")) : nullptr;
    QFile lock(args.value(4));
    if (list && lock.open(QIODevice::WriteOnly) && lock.write(args[5].toLatin1()) && lock.flush()) {
        Q_EMIT list->activated(list->currentIndex());
        window->SendCommand("PL\r");
    }
    QTextStream out(stdout);
    for (const auto &message : messages.shown)
        out << message.text << '\t' << message.informative.split(u'\n').join(u'|') << '\n';
    if (list && window->VekComm().isOpen())
        out << "open\t" << list->toolTip().split(u'\n').join(u'|') << '\n';
    return 0;
}

class AccessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusedPorts_data()
    {
        // Per port from 1, "u" the user may use it, "g" its group only; then a lock on port 1.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("facts"); // in each informative text
        const QStringList noPort = {"No available COMM ports detected, shutting down!"};
        QTest::newRow("device of a group the user is not in, no other port")
            << "g" << noPort
            << QStringList{"COM1 (%1)", "group dialout", "sudo adduser $USER dialout", "log in"};
        QTest::newRow("one port refused, one open: the list's tooltip names the refused one")
            << "ug" << QStringList{} << QStringList{"COM2 (%2)", "dialout"};
        QTest::newRow("own lock naming another user's live process: selection and send refused")
            << "u live"
            << QStringList{"COMM port may be in use by another program!",
                           "Error on COM1, port may be in use already!"}
            << QStringList{"COM1 (%1)", "process %3 (tst_access)"};
        QTest::newRow("dead process's lock the user may remove: removed, port opens")
            << "u dead" << QStringList{} << QStringList{};
        QTest::newRow("dead process's root lock in a sticky folder")
            << "u root" << noPort << QStringList{"COM1 (%1)", "%4", "no longer runs"};
    }

    void refusedPorts()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, facts);
        const QString ports = setup.section(u' ', 0, 0), lock = setup.section(u' ', 1);
        ZENTREL_REQUIRE_ROOT();
        const auto *dialout = ::getgrnam("dialout"); // never nobody's group
        const Ownership mine{0600, kOtherOwner, kOtherGroup},
            group{0660, 0, dialout ? int(dialout->gr_gid) : 0};
        // Root's home is closed to others: all nobody needs goes in a 0755 folder in /tmp.
        AppDirectory dir;
        const QString program = dir.filePath("tst_access"), locks = dir.filePath("locks");
        QVERIFY(QDir().mkpath(locks) && QFile::copy(qApp->applicationFilePath(), program));
        QVERIFY(setOwnership(dir.path(), {0755, 0, 0}) && setOwnership(program, {0755, 0, 0}) &&
                setOwnership(locks, {01777, 0, 0}));
        PseudoTerminal devices[2];
        for (int i = 0; i < ports.size(); ++i) {
            dir.pin(i + 1, devices[i]);
            QVERIFY(setOwnership(devices[i].slavePath(), ports.at(i) == u'u' ? mine : group));
        }
        dir.writeIni(iniWith("1"));
        QString lockPath = locks + "/LCK.." + devices[0].slavePath().mid(5).replace(u'/', u'_');
        const QString pid = QString::number(QCoreApplication::applicationPid());
        QStringList args = QString("--reuid=65534 --regid=65534 --clear-groups").split(u' ');
        args << program << "--user" << dir.path() << locks;
        QFile file(lockPath); // no Linux process id goes this high
        if (lock == "live")
            args << lockPath << pid;
        else if (!lock.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("999999999\n") && file.flush() &&
                    setOwnership(lockPath, {0644, lock == "dead" ? kOtherOwner : 0, 0}));
        QProcess user;
        user.start(QStringLiteral("setpriv"), args);
        QVERIFY2(user.waitForFinished(60000) && user.exitCode() == 0,
                 qPrintable(user.errorString() + user.readAllStandardError()));
        QStringList shown, informative;
        for (const auto &line :
             QString(user.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            shown << line.section(u'\t', 0, 0), informative << line.section(u'\t', 1);
        // No message: the port opened, and the list's tooltip tells what was refused.
        QCOMPARE(shown, messages.isEmpty() ? QStringList{"open"} : messages);
        if (facts.isEmpty())
            QCOMPARE(informative, QStringList{QString()});
        for (QString fact : facts) {
            fact.replace("%1", devices[0].slavePath()).replace("%2", devices[1].slavePath());
            fact.replace("%3", pid).replace("%4", lockPath);
            for (const auto &why : informative)
                QVERIFY2(why.contains(fact), qPrintable(why + " lacks " + fact));
        }
        if (!lock.isEmpty())
            QCOMPARE(QFile::exists(lockPath), !messages.isEmpty());
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AccessTest test;
    return app.arguments().value(1) == "--user" ? runAsUser(app.arguments())
                                                : QTest::qExec(&test, argc, argv);
}

#include "tst_access.moc"
