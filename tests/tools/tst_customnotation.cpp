#include "tools/customnotation.h"

#include <QTest>

using namespace zentrel;

class TestCustomNotation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convert_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");

        QTest::newRow("quoted text and escape") << "\"PL\" h0d" << QByteArray("PL\r") << "";
        QTest::newRow("empty input") << "" << QByteArray() << "";
        QTest::newRow("only stray characters") << "H0D ,xyz 12" << QByteArray() << "";
        QTest::newRow("only empty quotes") << "\"\"\"\"" << QByteArray() << "";
        QTest::newRow("h00 is one zero byte") << "h00" << QByteArray(1, '\0') << "";
        QTest::newRow("upper-case hex digits") << "hFF" << QByteArray("\xff") << "";
        QTest::newRow("lower-case hex digits") << "hff" << QByteArray("\xff") << "";
        QTest::newRow("third digit skipped") << "h0d0" << QByteArray("\r") << "";
        QTest::newRow("adjacent quotes joined") << "\"AB\"\"CD\"" << QByteArray("ABCD") << "";
        QTest::newRow("nothing interpreted inside quotes") << "\"h0d\"" << QByteArray("h0d") << "";
        QTest::newRow("quote byte by escape") << "h22" << QByteArray("\"") << "";
        QTest::newRow("latin-1 inside quotes")
            << QString::fromUtf8("\"\xc3\xa9\"") << QByteArray("\xe9") << "";
        QTest::newRow("unclosed quote") << "\"PL" << QByteArray() << kInvalidStringFormat;
        QTest::newRow("lone quote after valid text discards it")
            << "\"PL\" \"" << QByteArray() << kInvalidStringFormat;
        QTest::newRow("h at the end") << "\"PL\" h" << QByteArray() << kInvalidHexValue;
        QTest::newRow("h with one digit") << "h0" << QByteArray() << kInvalidHexValue;
        QTest::newRow("h with a non-hex digit") << "h0g" << QByteArray() << kInvalidHexValue;
        QTest::newRow("h with a non-hex first digit") << "hz0" << QByteArray() << kInvalidHexValue;
        QTest::newRow("first error wins") << "hzz \"" << QByteArray() << kInvalidHexValue;
        QTest::newRow("character beyond latin-1 in quotes")
            << QString::fromUtf8("\"\xe2\x82\xac\"") << QByteArray() << kInvalidCharacter;
        QTest::newRow("character beyond latin-1 outside quotes is skipped")
            << QString::fromUtf8("\xe2\x82\xac h41") << QByteArray("A") << "";
    }

    void convert()
    {
        QFETCH(QString, input);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        const auto result = ConvertCustom(input);
        QCOMPARE(result.bytes, bytes);
        QCOMPARE(result.refusal, refusal);
    }

    void longInput()
    {
        QString input;
        QByteArray expected;
        for (int i = 0; i < 25'000; ++i) {
            input += QStringLiteral("h%1").arg(i % 256, 2, 16, QLatin1Char('0')) + u' ';
            expected.append(char(i % 256));
        }
        QVERIFY(input.size() >= 100'000);
        QCOMPARE(ConvertCustom(input).bytes, expected);
        QCOMPARE(ConvertCustom(input + u'"').refusal, kInvalidStringFormat);
    }
};

QTEST_GUILESS_MAIN(TestCustomNotation)
#include "tst_customnotation.moc"
