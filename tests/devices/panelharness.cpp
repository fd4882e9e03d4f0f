#include "panelharness.h"

#include <QDeadlineTimer>

namespace zentrel::test {

namespace {

// No panel sends these bytes, so they cannot be mistaken for a command.
const QByteArray kMarker = QByteArrayLiteral("\xFF<end>\xFF");

} // namespace

PanelHarness::PanelHarness()
{
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the main window did not become active; focus changes will not happen");
}

bool PanelHarness::selectTab(const QString &caption)
{
    auto *tabs = TerminalHarness::find<QTabBar>("DeviceTab");
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i) == caption) {
            clickTab(i);
            return tabs->currentIndex() == i;
        }
    }
    return false;
}

bool PanelHarness::apply(const QString &assignment)
{
    const auto equals = assignment.indexOf(u'=');
    if (equals <= 0)
        return false;
    const QChar how = assignment.at(equals - 1);
    const bool direct = how == u':';
    const bool keepFocus = how == u'~';
    QWidget *widget = find(assignment.left(direct || keepFocus ? equals - 1 : equals));
    const QString value = assignment.mid(equals + 1);
    if (!widget)
        return false;
    if (!keepFocus)
        widget->setFocus(Qt::MouseFocusReason);
    if (auto *list = qobject_cast<QComboBox *>(widget)) {
        list->setCurrentIndex(list->findText(value, Qt::MatchExactly));
        return list->currentIndex() >= 0;
    }
    auto *field = qobject_cast<QLineEdit *>(widget);
    if (field && direct)
        field->setText(value);
    else if (field)
        type(field, value);
    return field;
}

bool PanelHarness::applyAll(const QStringList &assignments)
{
    for (const auto &assignment : assignments) {
        if (!apply(assignment)) {
            qWarning("cannot apply %s", qPrintable(assignment));
            return false;
        }
    }
    return true;
}

bool PanelHarness::click(const QString &button)
{
    auto *pushButton = qobject_cast<QPushButton *>(find(button));
    if (!pushButton || !pushButton->isVisible())
        return false;
    QTest::mouseClick(pushButton, Qt::LeftButton);
    return true;
}

void PanelHarness::type(QWidget *field, const QString &keys)
{
    for (const QChar c : keys) {
        if (c.unicode() < 128)
            QTest::keyClick(field, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QByteArray PanelHarness::received()
{
    // The marker goes out unaddressed whatever the unit-ID settings.
    window->setIDAllowed(false);
    window->SendCommand(kMarker);
    QByteArray got;
    const QDeadlineTimer deadline(5000);
    while (!got.endsWith(kMarker) && !deadline.hasExpired())
        got += device.read(1, int(deadline.remainingTime()));
    return got.endsWith(kMarker) ? got.chopped(kMarker.size()) : got + "<marker missing>";
}

void PanelTest::commands()
{
    QFETCH(QString, button);
    QFETCH(QStringList, setup);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QVERIFY(m_harness->selectTab(m_tab));
    QVERIFY(m_harness->applyAll(setup));
    QVERIFY(m_harness->click(button));
    QCOMPARE(m_harness->messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(m_harness->received(), bytes);
}

void addCommandColumns()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
}

void commandRow(const char *name, const char *button, const QStringList &setup,
                const QByteArray &bytes, const char *message)
{
    QTest::newRow(name) << QString::fromLatin1(button) << setup << bytes
                        << QString::fromLatin1(message);
}

void fixedRows(const char *buttons)
{
    for (const QString &pair : QString::fromLatin1(buttons).split(u'|')) {
        const QString button = pair.section(u'=', 0, 0);
        commandRow(qPrintable(button), qPrintable(button), {},
                   pair.section(u'=', 1).toLatin1() + '\r');
    }
}

void listRows(const char *button, const char *list, const char *message, const char *items)
{
    commandRow(qPrintable(QStringLiteral("%1 with nothing chosen").arg(button)), button, {}, {},
               message);
    for (const QString &pair : QString::fromLatin1(items).split(u'|')) {
        const QString item = pair.section(u'=', 0, 0);
        commandRow(qPrintable(QStringLiteral("%1 %2").arg(button, item)), button,
                   {QStringLiteral("%1=%2").arg(list, item)},
                   pair.section(u'=', 1).toLatin1() + '\r');
    }
}

} // namespace zentrel::test
