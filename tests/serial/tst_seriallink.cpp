#include "appdirectory.h"
#include "pseudoterminal.h"
#include "serial/seriallink.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

using namespace zentrel;
using zentrel::test::AppDirectory;
using zentrel::test::PseudoTerminal;

namespace {

double cpuSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class TestSerialLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesExactBytes()
    {
        AppDirectory dir;
        PseudoTerminal device;
        dir.pin(1, device);
        SerialLink link;
        link.setPortNumber(1);
        QVERIFY(link.open());
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        QVERIFY(link.write(all));
        QCOMPARE(device.read(all.size()), all);
    }

    void receivesEveryByteOnePerRead()
    {
        AppDirectory dir;
        PseudoTerminal device;
        dir.pin(1, device);
        SerialLink link;
        QVERIFY(link.open());
        QByteArray received;
        connect(&link, &SerialLink::received, this,
                [&received](const QByteArray &bytes) { received += bytes; });
        QByteArray all;
        for (int i = 0; i < 256; ++i) {
            all.append(char(i));
            device.write(QByteArray(1, char(i)));
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), i + 1, 2000);
        }
        QCOMPARE(received, all);
    }

    void unpluggedLineClosesQuietlyAndIdles()
    {
        AppDirectory dir;
        auto device = std::make_unique<PseudoTerminal>();
        dir.pin(1, *device);
        SerialLink link;
        QVERIFY(link.open());
        QSignalSpy failed(&link, &SerialLink::lineFailed);
        QByteArray received;
        connect(&link, &SerialLink::received, this,
                [&received](const QByteArray &bytes) { received += bytes; });
        device->write("last words");
        QTRY_COMPARE(received, QByteArray("last words"));

        device.reset(); // master and the test's slave gone: the cable is pulled
        QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), 3000);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(received, QByteArray("last words"));

        // No spinning on a dead descriptor: half a second of event loop
        // costs next to no CPU.
        const double before = cpuSeconds();
        QEventLoop idle;
        QTimer::singleShot(500, &idle, &QEventLoop::quit);
        idle.exec();
        QVERIFY2(cpuSeconds() - before < 0.25, "the event loop kept a core busy");
        QVERIFY(!link.write("x"));
        QCOMPARE(failed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
