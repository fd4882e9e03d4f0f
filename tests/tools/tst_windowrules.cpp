#include "devices/devicetabs.h"
#include "terminal/unitid.h"
#include "tools/portlist.h"

#include <QTest>

using namespace zentrel;

// The main window's rules, without the window.
class TestWindowRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void address_data()
    {
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("wire"); // "-": refused for want of an ID
        QTest::newRow("addressed") << true << true << true << "12" << QByteArray("12@PL\r");
        QTest::newRow("wildcard kept") << true << true << true << "1*" << QByteArray("1*@PL\r");
        QTest::newRow("no ID given") << true << true << true << "" << QByteArray("-");
        QTest::newRow("flag cleared") << false << true << true << "12" << QByteArray("PL\r");
        QTest::newRow("other tab") << true << false << true << "12" << QByteArray("PL\r");
        QTest::newRow("box unticked") << true << true << false << "" << QByteArray("PL\r");
    }

    void address()
    {
        QFETCH(bool, allowed);
        QFETCH(bool, enabled);
        QFETCH(bool, ticked);
        QFETCH(QString, id);
        QFETCH(QByteArray, wire);
        const auto framed = unitid::address("PL\r", {allowed, enabled, ticked, id});
        QCOMPARE(framed.value_or("-"), wire);
    }

    void savedPort_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("index"); // -2: the selection stays
        const QStringList ports{"1", "2", "12"};
        QTest::newRow("found") << ports << "2" << 1;
        QTest::newRow("two digits matched whole") << ports << "12" << 2;
        QTest::newRow("missing ends on the last") << ports << "5" << 2;
        QTest::newRow("empty list") << QStringList() << "1" << -2;
        QTest::newRow("empty value") << ports << "" << -2;
        QTest::newRow("not a digit") << ports << "x1" << -2;
        QTest::newRow("superscript digit") << ports << QString(QChar(0xB2)) << -2;
    }

    void savedPort()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, saved);
        QFETCH(int, index);
        QCOMPARE(portlist::savedPortIndex(entries, saved).value_or(-2), index);
    }

    void fallback_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<int>("index"); // -2: nothing to fall back to
        QTest::newRow("back to the held port") << 2 << "3" << 1;
        QTest::newRow("held port not listed") << 7 << "3" << -1;
        QTest::newRow("refused port is the held one") << 3 << "3" << -2;
    }

    void fallback()
    {
        QFETCH(int, held);
        QFETCH(QString, refused);
        QFETCH(int, index);
        const QStringList ports{"1", "2", "3"};
        QCOMPARE(portlist::fallbackIndex(ports, held, refused).value_or(-2), index);
    }

    void tabs()
    {
        QCOMPARE(devicetabs::rowOf(" 8-Bit").value_or(99), 4u);
        QVERIFY(devicetabs::kTabs[*devicetabs::rowOf("Pelvox2")].idAllowed);
        QVERIFY(!devicetabs::rowOf("8-Bit"));
    }
};

QTEST_GUILESS_MAIN(TestWindowRules)
#include "tst_windowrules.moc"
