#include "devices/validation.h"

#include <QTest>

using namespace zentrel;

class TestValidation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validIP_data();
    void validIP();
    void keys_data();
    void keys();
    void parameterLength_data();
    void parameterLength();
};

void TestValidation::validIP_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("valid");
    const auto row = [](const char *name, const QString &address, bool valid) {
        QTest::newRow(name) << address << valid;
    };
    row("private address", "192.168.1.10", true);
    row("zeros inside", "10.0.0.1", true);
    row("broadcast", "255.255.255.255", true);
    row("only the last part set", "0.0.0.1", true);
    row("leading zeros read as decimal", "192.168.001.010", true);
    row("a thousand zeros before a one", QString(1000, u'0') + "1.2.3.4", true);
    row("empty", "", false);
    row("all four zero", "0.0.0.0", false);
    row("all four zero with leading zeros", "00.0.000.0", false);
    row("three parts", "1.2.3", false);
    row("ends in a dot after three parts", "1.2.3.", false);
    row("leading dot", ".1.2.3", false);
    row("two dots in a row", "1..2.3", false);
    row("five parts", "1.2.3.4.5", false);
    row("ends in a dot after four parts", "1.2.3.4.", false);
    row("first part above 255", "256.1.1.1", false);
    row("last part above 255", "1.2.3.256", false);
    row("ten nines", "9999999999.1.1.1", false);
    row("letter", "1.2.3.a", false);
    row("plus sign", "+1.2.3.4", false);
    row("minus sign", "1.-2.3.4", false);
    row("leading space", " 1.2.3.4", false);
    row("trailing space", "1.2.3.4 ", false);
    row("non-ASCII digit", QStringLiteral("1.2.3.\u0664"), false);
}

void TestValidation::validIP()
{
    QFETCH(QString, address);
    QFETCH(bool, valid);
    QCOMPARE(ValidIP(address), valid);
}

void TestValidation::keys_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("number");
    QTest::addColumn<bool>("address");
    QTest::addColumn<bool>("unitIdValue");
    const auto row = [](const char *name, int code, bool number, bool address, bool unitId) {
        QTest::newRow(name) << code << number << address << unitId;
    };
    row("digit 0", '0', true, true, true);
    row("digit 9", '9', true, true, true);
    row("Backspace", 8, true, true, true);
    row("dot", '.', false, true, false);
    row("slash between dot and digits", '/', false, false, false);
    row("colon after the digits", ':', false, false, false);
    row("star", '*', false, false, false);
    row("letter", 'a', false, false, false);
    row("space", ' ', false, false, false);
    row("minus", '-', false, false, false);
    row("Enter", 13, false, false, false);
    row("Escape", 27, false, false, false);
    row("Ctrl+C", 3, false, false, false);
    row("Latin-1 letter", 0xE9, false, false, false);
    row("beyond Latin-1", 0x2022, false, false, false);
    row("negative as a signed code", 0xFFFF, false, false, false);
}

void TestValidation::keys()
{
    QFETCH(int, code);
    QFETCH(bool, number);
    QFETCH(bool, address);
    QFETCH(bool, unitIdValue);
    const auto key = char16_t(code);
    QCOMPARE(validation::numberKey(key), number);
    QCOMPARE(validation::addressKey(key), address);
    QCOMPARE(validation::parameterKey(key, QStringLiteral("Unit ID")), unitIdValue);
    for (const char *parameter : {"", "IP Address", "Gateway Address", "Subnet Mask"})
        QCOMPARE(validation::parameterKey(key, QString::fromLatin1(parameter)), address);
}

void TestValidation::parameterLength_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<int>("maxLength");
    QTest::newRow("unit ID") << "Unit ID" << 3;
    QTest::newRow("IP address") << "IP Address" << 15;
    QTest::newRow("nothing chosen") << "" << 15;
}

void TestValidation::parameterLength()
{
    QFETCH(QString, parameter);
    QFETCH(int, maxLength);
    QCOMPARE(validation::parameterMaxLength(parameter), maxLength);
}

QTEST_GUILESS_MAIN(TestValidation)
#include "tst_validation.moc"
