#include "showctl/vekfunc.h"

#include <QTest>

using zentrel::CalcChecksum;

class TestVekFunc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksum_data();
    void checksum();
};

void TestVekFunc::checksum_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty text sums to zero") << QByteArray() << QByteArray(1, '\0');
    QTest::newRow("sum wraps past 255")
        << QByteArray::fromHex("7902032001FF") << QByteArray::fromHex("9E");
    QTest::newRow("high bytes count unsigned")
        << QByteArray::fromHex("80FF") << QByteArray::fromHex("7F");
    QTest::newRow("long text wraps many times")
        << QByteArray(300, char(0xFF)) << QByteArray::fromHex("D4");
}

void TestVekFunc::checksum()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(CalcChecksum(text), expected);
}

QTEST_GUILESS_MAIN(TestVekFunc)
#include "tst_vekfunc.moc"
