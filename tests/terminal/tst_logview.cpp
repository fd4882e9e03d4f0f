#include "terminal/logview.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace zentrel;

namespace {

// What the screen shows of the view, as its last repaints left it.
QImage onScreen(LogView &view)
{
    return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// What a complete repaint of the view gives.
QImage repainted(LogView &view)
{
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Appends only mark the view; give the coalesced repaint its frame.
void letItPaint()
{
    QTest::qWait(60);
}

} // namespace

class TestLogView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Appends redraw only the rows they touch; the screen must still match a
    // full repaint afterwards.
    void screenMatchesFullRepaint_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("glued");
        QTest::addColumn<QByteArray>("newLine");
        QTest::addColumn<bool>("scrolledUp");
        QTest::newRow("piece glued to a short last line")
            << 3 << QByteArray("abc") << QByteArray() << false;
        QTest::newRow("piece glued past the right edge")
            << 3 << QByteArray(500, 'x') << QByteArray() << false;
        QTest::newRow("new line while following the end")
            << 40 << QByteArray() << QByteArray("Receiving: R|") << false;
        QTest::newRow("new line and glued piece on a full view")
            << 40 << QByteArray("more") << QByteArray("Command Sent:  PL|") << false;
        QTest::newRow("new lines while the operator looks further up")
            << 40 << QByteArray("more") << QByteArray("Command Sent:  PL|") << true;
    }

    void screenMatchesFullRepaint()
    {
        QFETCH(int, lines);
        QFETCH(QByteArray, glued);
        QFETCH(QByteArray, newLine);
        QFETCH(bool, scrolledUp);
        LogView view;
        view.resize(300, 160);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int n = 0; n < lines; ++n)
            view.log().appendLine("Command Sent:  line " + QByteArray::number(n));
        view.contentChanged();
        letItPaint();
        if (scrolledUp)
            view.verticalScrollBar()->setValue(2);
        letItPaint();

        for (int round = 0; round < 3; ++round) {
            view.log().append(glued);
            if (!newLine.isEmpty())
                view.log().appendLine(newLine);
            view.contentChanged();
            letItPaint();
            QCOMPARE(onScreen(view), repainted(view));
        }
        QCOMPARE(view.verticalScrollBar()->value() == view.verticalScrollBar()->maximum(),
                 !scrolledUp);
    }

    void scrollRangeCatchesUpWithGrowingLine()
    {
        LogView view;
        view.resize(300, 160);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.log().appendLine("Receiving: ");
        // A device streaming into one line, a piece every few milliseconds,
        // then silence: the last width must still become scrollable.
        for (int piece = 0; piece < 40; ++piece) {
            view.log().append(QByteArray(20, 'x'));
            view.contentChanged();
            QTest::qWait(5);
        }
        auto *horizontal = view.horizontalScrollBar();
        const double width = QFontMetricsF(view.font()).horizontalAdvance(QLatin1Char('M'));
        const int wanted = int(view.log().longestLine() * width + 2 * 3 - view.viewport()->width());
        QTRY_COMPARE(horizontal->maximum(), wanted);
        horizontal->setValue(horizontal->maximum());
        letItPaint();
        QCOMPARE(onScreen(view), repainted(view));
    }
};

QTEST_MAIN(TestLogView)
#include "tst_logview.moc"
