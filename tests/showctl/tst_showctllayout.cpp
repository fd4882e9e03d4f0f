#include "showctl/showctllayout.h"

#include <QTest>

using namespace zentrel::showctl;

// The panel test checks every command's kinds, captions and list ends; these
// are the items inside the long lists, where order and wording matter.
class TestShowCtlLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void items_data();
    void items();
    void unknownCommandHasNoLayout();
};

void TestShowCtlLayout::items_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("item");

    QTest::newRow("operand values before variables: 255 is the 256th item")
        << "AddVar" << 2 << 255 << "255";
    QTest::newRow("operand variables follow the values") << "SubVar" << 2 << 256 << "Variable 1";
    QTest::newRow("numbers have no leading zeros") << "SetVarEQ" << 2 << 7 << "7";
    QTest::newRow("one frame is singular") << "Blink" << 2 << 0 << "1 Frame";
    QTest::newRow("two frames are plural") << "Pulse" << 2 << 1 << "2 Frames";
    QTest::newRow("last output before first flag") << "On" << 1 << 63 << "Output 64";
    QTest::newRow("flags follow the outputs") << "Toggle" << 1 << 64 << "Flag 1";
}

void TestShowCtlLayout::items()
{
    QFETCH(QString, command);
    QFETCH(int, position);
    QFETCH(int, index);
    QFETCH(QString, item);

    const auto layout = commandLayout(command);
    QVERIFY(layout);
    QCOMPARE((position == 1 ? layout->data1 : layout->data2).items.value(index), item);
}

void TestShowCtlLayout::unknownCommandHasNoLayout()
{
    for (const char *command : {"", "addvar", "Stop "})
        QVERIFY2(!commandLayout(QString::fromLatin1(command)), command);
}

QTEST_GUILESS_MAIN(TestShowCtlLayout)
#include "tst_showctllayout.moc"
