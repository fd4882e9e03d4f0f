#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/rapidfire.h"

#include <QElapsedTimer>
#include <QTimer>

using namespace zentrel;
using namespace zentrel::test;

namespace {

int sentLines(const QByteArray &log)
{
    return int(log.count("Command Sent:"));
}

} // namespace

class TestRapidFire : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Nothing sent yet: nothing to repeat. Then each press starts or stops.
    void captionAlternatesAndTimerIsOneMillisecond()
    {
        TerminalHarness t;
        auto *button = t.find<QPushButton>("RapidCmd");
        t.click("RapidCmd");
        QCOMPARE(button->text(), QStringLiteral("Rapid Fire"));
        QVERIFY(!t.window->rapidFire()->RapidTimer().isActive());
        t.window->SendCommand("A");
        for (int press = 0; press < 4; ++press) {
            t.click("RapidCmd");
            const bool running = press % 2 == 0;
            QCOMPARE(button->text(),
                     running ? QStringLiteral("Stop") : QStringLiteral("Rapid Fire"));
            QCOMPARE(t.window->rapidFire()->RapidTimer().isActive(), running);
        }
        QCOMPARE(t.window->rapidFire()->RapidTimer().interval(), 1);
    }

    void commandDuringRunGoesOutOnce()
    {
        TerminalHarness t;
        t.window->SendCommand("A");
        t.click("RapidCmd");
        QByteArray wire = t.device.read(20);
        t.window->SendCommand("B");
        wire += t.device.read(20);
        t.click("RapidCmd");
        wire += t.device.readFor(100);
        QCOMPARE(wire.count('B'), 1);
        QCOMPARE(wire.count('A') + 1, wire.size());
        QVERIFY(wire.indexOf('B') < wire.size() - 5);
        // The log shows each byte that went out, no more, no less.
        QCOMPARE(sentLines(t.logText()), wire.size());
        // Restarting takes a new snapshot: by now the last resend, A.
        t.click("RapidCmd");
        QCOMPARE(t.window->rapidFire()->RapidString(), QByteArray("A"));
        t.click("RapidCmd");
    }

    void addressedSnapshotKeepsOnePrefix()
    {
        TerminalHarness t;
        t.clickTab(0);
        t.find<QCheckBox>("IDChk")->setChecked(true);
        QTest::keyClicks(t.find<QLineEdit>("IDTxt"), "5");
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(5), QByteArray("5@PL\r"));
        t.click("RapidCmd");
        const QByteArray wire = t.device.read(50);
        t.click("RapidCmd");
        QCOMPARE(wire, QByteArray("5@PL\r").repeated(10));
    }

    void noPortIsToldOncePerRun()
    {
        TerminalHarness t;
        t.window->SendCommand("A");
        QCOMPARE(t.device.read(1), QByteArray("A"));
        t.find<QComboBox>("PortCmb")->setCurrentIndex(-1);
        t.click("RapidCmd");
        runFor(100);
        QCOMPARE(t.messages.texts(), QStringList{"Select COMM port!"});
        QVERIFY(t.window->rapidFire()->RapidTimer().isActive());
        t.click("RapidCmd");
        t.click("RapidCmd");
        runFor(50);
        QCOMPARE(t.messages.texts(), QStringList(2, "Select COMM port!"));
        t.click("RapidCmd");
    }

    void vanishedFarEndIsToldOnceAndNothingSentWhileShown()
    {
        TerminalHarness t;
        t.window->SendCommand("A");
        QCOMPARE(t.device.read(1), QByteArray("A"));
        t.device.unplug();
        t.dir.unpin(1);
        QTRY_VERIFY(!t.window->VekComm().isOpen());

        PseudoTerminal replacement;
        QByteArray duringBox;
        t.messages.whileShown = [&] {
            // The device comes back while the operator reads the message.
            t.dir.pin(1, replacement);
            duringBox = replacement.readFor(100);
        };
        t.click("RapidCmd");
        QTRY_COMPARE(t.messages.shown.size(), 1);
        QCOMPARE(t.messages.last(), QStringLiteral("Error on COM1, port may be in use already!"));
        QCOMPARE(duringBox, QByteArray());
        // Once the box is gone, the resends reopen the port and go on.
        QCOMPARE(replacement.read(10), QByteArray(10, 'A'));
        t.click("RapidCmd");
        QCOMPARE(t.messages.shown.size(), 1);
    }

private Q_SLOTS:
    // A far end that stops reading: a pseudo-terminal would take kilobytes
    // before refusing more, but no more goes out than a 9600-baud line could
    // have carried meanwhile, plus the transmit buffer.
    void stalledFarEndIsSentNoMoreThanTheLineCarries()
    {
        TerminalHarness t;
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(3), QByteArray("PL\r"));
        QElapsedTimer clock;
        clock.start();
        t.click("RapidCmd");
        runFor(400);
        t.click("RapidCmd");
        const qint64 elapsedMs = clock.elapsed();
        const QByteArray arrived = t.device.readFor(200);
        const qint64 lineCarried = elapsedMs * 960 / 1000 + 1;
        QVERIFY2(
            arrived.size() <= RapidFire::kTransmitBuffer + 3 + lineCarried,
            qPrintable(QStringLiteral("%1 bytes in %2 ms").arg(arrived.size()).arg(elapsedMs)));
        QVERIFY(arrived.size() >= RapidFire::kTransmitBuffer);
        QCOMPARE(arrived, QByteArray("PL\r").repeated(arrived.size() / 3));
        // The log shows what really went out: every logged resend arrived.
        QCOMPARE(t.logText().count("Command Sent:") - 1, arrived.size() / 3);
    }
};

QTEST_MAIN(TestRapidFire)
#include "tst_rapidfire.moc"
