#include "showctl/showctllayout.h"

#include <QTest>

using namespace zentrel::showctl;

class TestShowCtlLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuIsAlphabetical();
    void responseModesInWireOrder();
    void fields_data();
    void fields();
    void items_data();
    void items();
    void unknownCommandHasNoLayout_data();
    void unknownCommandHasNoLayout();
};

void TestShowCtlLayout::menuIsAlphabetical()
{
    const QStringList expected{"AddVar",  "Blink",       "Display",  "MessageOut", "Off",
                               "On",      "Outport",     "Pause",    "Pulse",      "Reset",
                               "SendVar", "SendVersion", "SetVarEQ", "ShowFlags",  "ShowVar",
                               "Start",   "Stop",        "SubVar",   "Toggle"};
    QCOMPARE(commandNames(), expected);
}

void TestShowCtlLayout::responseModesInWireOrder()
{
    QCOMPARE(responseModes(), (QStringList{"None", "ACK, NACK", "Msg.+ACK,NACK"}));
}

// Each list's size and its first and last item; the panel test checks the
// kinds, captions and label widths.
void TestShowCtlLayout::fields_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("list1"); // size, first item, last item
    QTest::addColumn<QStringList>("list2");

    const struct
    {
        const char *command;
        QStringList list1, list2;
    } rows[] = {
        {"AddVar", {"26", "1", "26"}, {"282", "0", "Variable 26"}},
        {"Blink", {"64", "1", "64"}, {"255", "1 Frame", "255 Frames"}},
        {"Display", {}, {}},
        {"MessageOut", {"18", "1", "18"}, {}},
        {"Off", {"128", "Output 1", "Flag 64"}, {}},
        {"On", {"128", "Output 1", "Flag 64"}, {}},
        {"Outport", {"2", "1", "2"}, {"256", "0", "255"}},
        {"Pause", {"256", "1", "256"}, {}},
        {"Pulse", {"64", "1", "64"}, {"255", "1 Frame", "255 Frames"}},
        {"Reset", {"256", "1", "256"}, {}},
        {"SendVar", {"18", "1", "18"}, {"26", "1", "26"}},
        {"SendVersion", {}, {}},
        {"SetVarEQ", {"26", "1", "26"}, {"282", "0", "Variable 26"}},
        {"ShowFlags", {"2", "1", "2"}, {}},
        {"ShowVar", {"26", "1", "26"}, {}},
        {"Start", {"256", "1", "256"}, {}},
        {"Stop", {"256", "1", "256"}, {}},
        {"SubVar", {"26", "1", "26"}, {"282", "0", "Variable 26"}},
        {"Toggle", {"128", "Output 1", "Flag 64"}, {}},
    };
    for (const auto &row : rows)
        QTest::newRow(row.command) << row.command << row.list1 << row.list2;
}

void TestShowCtlLayout::fields()
{
    QFETCH(QString, command);
    QFETCH(QStringList, list1);
    QFETCH(QStringList, list2);

    const auto summary = [](const QStringList &items) {
        return items.isEmpty()
                   ? QStringList()
                   : QStringList{QString::number(items.size()), items.first(), items.last()};
    };
    const auto layout = commandLayout(command);
    QVERIFY(layout);
    QCOMPARE(summary(layout->data1.items), list1);
    QCOMPARE(summary(layout->data2.items), list2);
}

// Items in the middle of the long lists, where order and wording matter.
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
    QTest::newRow("sequence list counts from 1") << "Start" << 1 << 99 << "100";
    QTest::newRow("value list counts from 0") << "Outport" << 2 << 128 << "128";
}

void TestShowCtlLayout::items()
{
    QFETCH(QString, command);
    QFETCH(int, position);
    QFETCH(int, index);
    QFETCH(QString, item);

    const auto layout = commandLayout(command);
    QVERIFY(layout);
    const QStringList &items = position == 1 ? layout->data1.items : layout->data2.items;
    QCOMPARE(items.value(index), item);
}

void TestShowCtlLayout::unknownCommandHasNoLayout_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("empty") << "";
    QTest::newRow("case differs") << "addvar";
    QTest::newRow("trailing blank") << "Stop ";
}

void TestShowCtlLayout::unknownCommandHasNoLayout()
{
    QFETCH(QString, command);
    QVERIFY(!commandLayout(command));
}

QTEST_GUILESS_MAIN(TestShowCtlLayout)
#include "tst_showctllayout.moc"
