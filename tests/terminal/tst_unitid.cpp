#include "terminal/unitid.h"

#include <QTest>

using namespace zentrel;

class TestUnitId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keys_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("digit 0") << int('0') << true;
        QTest::newRow("digit 9") << int('9') << true;
        QTest::newRow("star") << int('*') << true;
        QTest::newRow("backspace") << 8 << true;
        QTest::newRow("letter") << int('a') << false;
        QTest::newRow("space") << int(' ') << false;
        QTest::newRow("dot") << int('.') << false;
        QTest::newRow("minus") << int('-') << false;
        QTest::newRow("enter") << 13 << false;
        QTest::newRow("escape") << 27 << false;
        QTest::newRow("ctrl+v") << 22 << false;
        QTest::newRow("latin-1 digit lookalike") << 0xB2 << false;
    }

    void keys()
    {
        QFETCH(int, code);
        QFETCH(bool, admitted);
        QCOMPARE(unitid::keyAdmitted(char16_t(code)), admitted);
    }

    void range_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("outOfRange");
        QTest::newRow("127 accepted") << "127" << false;
        QTest::newRow("128 refused") << "128" << true;
        QTest::newRow("999 refused") << "999" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("leading zeros") << "007" << false;
        QTest::newRow("lone star reads as 0") << "*" << false;
        QTest::newRow("digit then star reads the digit") << "1*" << false;
        QTest::newRow("digits before star") << "20*" << false;
        QTest::newRow("empty") << "" << false;
    }

    void range()
    {
        QFETCH(QString, text);
        QFETCH(bool, outOfRange);
        QCOMPARE(unitid::outOfRange(text), outOfRange);
    }
};

QTEST_GUILESS_MAIN(TestUnitId)
#include "tst_unitid.moc"
