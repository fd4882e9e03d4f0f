#include "serial/com.h"
#include "showctl/showctllayout.h"
#include "terminalharness.h"

using namespace zentrel;

// What a control's text needs and has: up to where its middle line meets an edge or another
// control. A button's caption is clipped by its frame alone, not Fusion's 80 px floor and margins.
static std::pair<int, int> fit(QWidget *widget)
{
    const QRect own = widget->geometry();
    int has = 0;
    while (has < own.width() && widget->isAncestorOf(widget->parentWidget()->childAt(
                                    own.left() + has, own.center().y())))
        ++has;
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        has -= 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return {button->fontMetrics().horizontalAdvance(button->text()), has};
    }
    if (auto *list = qobject_cast<QComboBox *>(widget)) // a hint for the items it holds now
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return {std::max(widget->sizeHint().width(), widget->minimumSizeHint().width()), has};
}

class TestFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTextFits_data()
    {
        QTest::addColumn<QString>("command"); // on the 8-Bit panel; none: Rapid Fire runs
        QTest::newRow("Rapid Fire running") << QString();
        for (const auto &command : showctl::kCommands)
            QTest::addRow("8-Bit panel showing %s", command.name) << command.name;
    }

    void everyTextFits()
    {
        QFETCH(QString, command);
        applyFormStyle(); // under the font the package depends on, never a stand-in
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
        test::TerminalHarness t;
        test::PseudoTerminal highest; // the widest number the port list can hold
        t.dir.pin(com::kHighestPort, highest);
        t.window = nullptr;
        t.window = std::make_unique<Terminal>(t.messages);
        t.window->CfgStrCmd_Click();
        t.window->SendCommand("A");
        command.isEmpty() ? t.click("RapidCmd") : t.pick("SCCmdCmb", command);
        int checked = 0, clipped = 0;
        for (auto *widget : t.window->findChildren<QWidget *>()) {
            const ControlSpec *row = specOf(widget);
            if (!row || row->kind == ControlKind::Text || widget->isHidden() || !++checked)
                continue;
            if (const auto [needs, has] = fit(widget); needs > has && ++clipped)
                qWarning("%s %s: needs %d px, has %d px",
                         qPrintable(widget->parentWidget()->objectName()), row->name, needs, has);
        }
        QVERIFY(checked > 90);
        QCOMPARE(clipped, 0);
    }
};

QTEST_MAIN(TestFit)
#include "tst_fit.moc"
