#include "app/aboutbox.h"
#include "terminalharness.h"

#include <QGroupBox>
#include <QLabel>

using namespace zentrel;
using namespace zentrel::test;

namespace {

void doubleClick(QWidget *widget, QPoint at = {})
{
    if (at.isNull())
        at = widget->rect().center();
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onlyTheBareBackgroundOpensIt_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("bare background") << "" << true;
        QTest::newRow("a button") << "ExitCmd" << false;
        QTest::newRow("the log") << "RichTextBox1" << false;
        QTest::newRow("a label") << "Label1" << false;
        QTest::newRow("a frame") << "Frame2" << false;
        QTest::newRow("a panel frame") << "Pelvox2Frame" << false;
        QTest::newRow("the custom line") << "CustomTxt" << false;
    }

    void onlyTheBareBackgroundOpensIt()
    {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        TerminalHarness t;
        t.window->show();
        if (target.isEmpty()) {
            // Right of the Exit button's row, below the tab strip: nothing there.
            QVERIFY(!t.window->childAt(QPoint(5, 440)));
            doubleClick(t.window.get(), QPoint(5, 440));
        } else {
            doubleClick(t.window->findChild<QWidget *>(target));
        }
        QCOMPARE(t.window->aboutBox() != nullptr, opens);
    }

    void oneInstanceShowingTheVersion()
    {
        TerminalHarness t;
        t.window->show();
        doubleClick(t.window.get(), QPoint(5, 440));
        auto *about = t.window->aboutBox();
        QVERIFY(about);
        doubleClick(t.window.get(), QPoint(5, 440));
        QCOMPARE(t.window->aboutBox(), about);
        QCOMPARE(t.window->findChildren<AboutBox *>().size(), 1);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Zentrel"));
        QCOMPARE(about->findChild<QLabel *>("lblTitle")->text(),
                 QStringLiteral("Zentrel Vorlinker"));
        QCOMPARE(about->findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 1.0.4"));
        QVERIFY(about->findChild<QLabel *>("lblDisclaimer")
                    ->text()
                    .startsWith(QStringLiteral("Warning: ...\nThis program is unstable")));
        QVERIFY(!about->isModal());
    }

    void enterAndEscapeClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("escape") << int(Qt::Key_Escape);
    }

    void enterAndEscapeClose()
    {
        QFETCH(int, key);
        TerminalHarness t;
        t.window->show();
        doubleClick(t.window.get(), QPoint(5, 440));
        QPointer<AboutBox> about = t.window->aboutBox();
        QTest::keyClick(about, Qt::Key(key));
        QTRY_VERIFY(!about);
        // Opening again loads it afresh.
        doubleClick(t.window.get(), QPoint(5, 440));
        QVERIFY(t.window->aboutBox());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
