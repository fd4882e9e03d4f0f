#include "appdirectory.h"
#include "pseudoterminal.h"
#include "serial/com.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace zentrel;
using zentrel::test::AppDirectory;
using zentrel::test::PseudoTerminal;

class TestCom : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbering_data()
    {
        QTest::addColumn<QStringList>("pinned"); // "n=target", target empty when dangling
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QStringList>("expected"); // "n=path" for every present port

        QTest::newRow("a lone USB adapter is port 1")
            << QStringList{} << QStringList{"/dev/ttyUSB0"} << QStringList{"1=/dev/ttyUSB0"};
        QTest::newRow("UARTs, then USB, then ACM, each by index")
            << QStringList{} << QStringList{"/dev/ttyACM0", "/dev/ttyUSB10", "/dev/ttyS1",
                                            "/dev/ttyUSB2", "/dev/ttyS0",    "/dev/rfcomm0"}
            << QStringList{"1=/dev/ttyS0", "2=/dev/ttyS1", "3=/dev/ttyUSB2", "4=/dev/ttyUSB10",
                           "5=/dev/ttyACM0"};
        QTest::newRow("pinned numbers are skipped and their devices not repeated")
            << QStringList{"1=/dev/ttyUSB1", "2="}
            << QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0"}
            << QStringList{"1=/dev/ttyUSB1", "3=/dev/ttyUSB0", "4=/dev/ttyACM0"};
        QTest::newRow("port 0 only by a pin")
            << QStringList{"0=/dev/pts/7"} << QStringList{"/dev/ttyS0"}
            << QStringList{"0=/dev/pts/7", "1=/dev/ttyS0"};
        QTest::newRow("never beyond 16") << QStringList{} <<
            [] {
                QStringList many;
                for (int i = 0; i < 20; ++i)
                    many.append(QStringLiteral("/dev/ttyUSB%1").arg(i));
                return many;
            }() <<
            [] {
                QStringList expected;
                for (int n = 1; n <= 16; ++n)
                    expected.append(QStringLiteral("%1=/dev/ttyUSB%2").arg(n).arg(n - 1));
                return expected;
            }();
    }

    void numbering()
    {
        QFETCH(QStringList, pinned);
        QFETCH(QStringList, system);
        QFETCH(QStringList, expected);
        com::Pins pins;
        for (const auto &pin : pinned) {
            const auto parts = pin.split(u'=');
            pins[size_t(parts.at(0).toInt())] = parts.at(1);
        }
        const auto table = com::assignPorts(pins, com::orderSerialDevices(system));
        QStringList present;
        for (int n = 0; n < com::kPortCount; ++n) {
            if (!table[size_t(n)].isEmpty())
                present.append(QStringLiteral("%1=%2").arg(n).arg(table[size_t(n)]));
        }
        QCOMPARE(present, expected);
    }

    void probeFindsPinnedPseudoTerminal()
    {
        AppDirectory dir;
        PseudoTerminal device;
        dir.pin(3, device);
        QVERIFY(com::ProbePort(3));
        QCOMPARE(com::devicePath(3), device.slavePath());
        QVERIFY(!com::ProbePort(2));
        // Probing leaves the port closed: another program can take it.
        QSerialPort other(device.slavePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
    }

    void probeRefuses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("link to a plain file") << "file";
        QTest::newRow("held by another serial program") << "serialport";
        QTest::newRow("held exclusively") << "exclusive";
        QTest::newRow("live lock file") << "lockfile";
    }

    void probeRefuses()
    {
        QFETCH(QString, how);
        AppDirectory dir;
        PseudoTerminal device;
        dir.pin(4, device);
        QSerialPort holder(device.slavePath());
        int fd = -1;
        QFile lock(QDir::tempPath() + QStringLiteral("/LCK..") +
                   device.slavePath().mid(5).replace(u'/', u'_'));
        if (how == QLatin1String("dangling")) {
            dir.unpin(4);
        } else if (how == QLatin1String("file")) {
            QFile plain(dir.filePath(QStringLiteral("plain")));
            QVERIFY(plain.open(QIODevice::WriteOnly));
            dir.pin(4, plain.fileName());
        } else if (how == QLatin1String("serialport")) {
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (how == QLatin1String("exclusive")) {
            fd = ::open(device.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
            QVERIFY(fd >= 0);
            QCOMPARE(::ioctl(fd, TIOCEXCL), 0);
        } else {
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(::getpid()) + "\nother\nhost\n");
            lock.close();
        }
        QVERIFY(!com::ProbePort(4));
        if (fd >= 0) {
            ::ioctl(fd, TIOCNXCL);
            ::close(fd);
        }
        lock.remove();
    }

    void staleLockFileDoesNotHold()
    {
        AppDirectory dir;
        PseudoTerminal device;
        dir.pin(5, device);
        QFile lock(QDir::tempPath() + QStringLiteral("/LCK..") +
                   device.slavePath().mid(5).replace(u'/', u'_'));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("999999999\n");
        lock.close();
        QVERIFY(com::ProbePort(5));
        lock.remove();
    }

    void numbersOutsideTheRangeNeverExist()
    {
        AppDirectory dir;
        QVERIFY(!com::ProbePort(-1));
        QVERIFY(!com::ProbePort(17));
        QVERIFY(com::devicePath(17).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCom)
#include "tst_com.moc"
