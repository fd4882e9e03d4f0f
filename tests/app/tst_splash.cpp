#include "app/splashwindow.h"
#include "appdirectory.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"

#include <QSerialPort>
#include <QTest>

using namespace zentrel;
using namespace zentrel::test;

class TestSplash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp_data()
    {
        QTest::addColumn<QList<int>>("free");
        QTest::addColumn<QList<int>>("held");
        QTest::addColumn<bool>("mainOpened");

        QTest::newRow("two free ports open the main window")
            << QList<int>{1, 3} << QList<int>{} << true;
        QTest::newRow("port 0 counts like any other") << QList<int>{0} << QList<int>{} << true;
        QTest::newRow("no port at all ends the program") << QList<int>{} << QList<int>{} << false;
        QTest::newRow("a port held elsewhere does not count")
            << QList<int>{} << QList<int>{2} << false;
    }

    void startUp()
    {
        QFETCH(QList<int>, free);
        QFETCH(QList<int>, held);
        QFETCH(bool, mainOpened);
        AppDirectory dir;
        std::vector<std::unique_ptr<PseudoTerminal>> devices;
        std::vector<std::unique_ptr<QSerialPort>> holders;
        for (int n : free + held) {
            devices.push_back(std::make_unique<PseudoTerminal>());
            dir.pin(n, *devices.back());
            if (held.contains(n)) {
                holders.push_back(std::make_unique<QSerialPort>(devices.back()->slavePath()));
                QVERIFY(holders.back()->open(QIODevice::ReadWrite));
            }
        }
        RecordingMessages messages;
        bool opened = false;
        SplashWindow splash(messages, [&opened] { opened = true; });
        splash.show();
        QCOMPARE(splash.cursor().shape(), Qt::WaitCursor);
        QVERIFY(splash.GoProg().isActive());
        QCOMPARE(splash.GoProg().interval(), 3000);

        splash.GoProg_Timer();
        QCOMPARE(opened, mainOpened);
        QCOMPARE(messages.texts(),
                 mainOpened ? QStringList()
                            : QStringList{"No available COMM ports detected, shutting down!"});
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.GoProg().isActive());
        QCOMPARE(splash.cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
