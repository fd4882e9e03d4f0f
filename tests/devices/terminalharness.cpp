#include "terminalharness.h"

#include "app/terminal.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace zentrel::test {

namespace {

// No panel sends these bytes, so they cannot be mistaken for a command.
const QByteArray kMarker = QByteArrayLiteral("\xFF<end>\xFF");

} // namespace

TerminalHarness::TerminalHarness()
{
    m_dir.pin(1, m_device);
    m_dir.writeIni("Port: 1\r\nView: Standard\r\nString 1: \r\nString 2: \r\nString 3: \r\n"
                   "String 4: \r\nString 5: \r\n");
    m_terminal = std::make_unique<Terminal>(messages);
    m_terminal->show();
    m_terminal->activateWindow();
    if (!QTest::qWaitForWindowActive(m_terminal.get()))
        qWarning("the main window did not become active; focus changes will not happen");
}

TerminalHarness::~TerminalHarness() = default;

bool TerminalHarness::selectTab(const QString &caption)
{
    auto *tabs = m_terminal->findChild<QTabBar *>(QStringLiteral("DeviceTab"));
    for (int i = 0; tabs && i < tabs->count(); ++i) {
        if (tabs->tabText(i) == caption) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(i).center());
            return tabs->currentIndex() == i;
        }
    }
    return false;
}

QWidget *TerminalHarness::find(const QString &name) const
{
    return m_terminal->findChild<QWidget *>(name);
}

bool TerminalHarness::apply(const QString &assignment)
{
    const auto equals = assignment.indexOf(u'=');
    const QChar how = equals > 0 ? assignment.at(equals - 1) : QChar();
    const bool direct = how == u':';
    const bool keepFocus = how == u'~';
    const QString name = assignment.left(direct || keepFocus ? equals - 1 : equals);
    const QString value = assignment.mid(equals + 1);
    QWidget *widget = find(name);
    if (equals < 0 || !widget)
        return false;
    if (!keepFocus)
        widget->setFocus(Qt::MouseFocusReason);
    if (auto *list = qobject_cast<QComboBox *>(widget)) {
        const int index = list->findText(value, Qt::MatchExactly);
        list->setCurrentIndex(index);
        return index >= 0;
    }
    auto *field = qobject_cast<QLineEdit *>(widget);
    if (!field)
        return false;
    if (direct)
        field->setText(value);
    else
        type(field, value);
    return true;
}

bool TerminalHarness::applyAll(const QStringList &assignments)
{
    for (const auto &assignment : assignments) {
        if (!apply(assignment)) {
            qWarning("cannot apply %s", qPrintable(assignment));
            return false;
        }
    }
    return true;
}

bool TerminalHarness::click(const QString &button)
{
    auto *pushButton = qobject_cast<QPushButton *>(find(button));
    if (!pushButton || !pushButton->isVisible())
        return false;
    QTest::mouseClick(pushButton, Qt::LeftButton);
    return true;
}

void TerminalHarness::type(QWidget *field, const QString &keys)
{
    for (const QChar c : keys) {
        if (c.unicode() < 128)
            QTest::keyClick(field, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QByteArray TerminalHarness::received()
{
    // The marker goes out unaddressed whatever the unit-ID settings.
    m_terminal->setIDAllowed(false);
    m_terminal->SendCommand(kMarker);
    QByteArray got;
    const QDeadlineTimer deadline(5000);
    while (!got.endsWith(kMarker) && !deadline.hasExpired())
        got += m_device.read(1, int(deadline.remainingTime()));
    if (!got.endsWith(kMarker))
        return got + "<marker missing>";
    return got.chopped(kMarker.size());
}

void addControlRows(std::span<const ExpectedControl> controls)
{
    QTest::addColumn<ExpectedControl>("expected");
    for (const auto &control : controls)
        QTest::newRow(control.name) << control;
}

void checkControl(const TerminalHarness &harness)
{
    QFETCH(ExpectedControl, expected);
    QWidget *widget = harness.find(QString::fromLatin1(expected.name));
    QVERIFY(widget);
    const QString kind = QString::fromLatin1(expected.kind);
    const QString caption = QString::fromLatin1(expected.caption);
    if (kind == u"button") {
        auto *button = qobject_cast<QPushButton *>(widget);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
    } else if (kind == u"label") {
        auto *label = qobject_cast<QLabel *>(widget);
        QVERIFY(label);
        QCOMPARE(label->text(), caption);
    } else if (kind == u"list") {
        auto *list = qobject_cast<QComboBox *>(widget);
        QVERIFY(list);
        QVERIFY(!list->isEditable());
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items.append(list->itemText(i));
        QCOMPARE(items.join(u'|'), caption);
        QCOMPARE(list->currentText(), QString());
    } else {
        auto *field = qobject_cast<QLineEdit *>(widget);
        QVERIFY(field);
        QCOMPARE(field->text(), QString());
        QCOMPARE(field->maxLength(), expected.maxLength);
    }
    QCOMPARE(widget->toolTip(), QString::fromLatin1(expected.tooltip));
    const QRect &t = expected.twips;
    QCOMPARE(widget->geometry(), QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15));
    QCOMPARE(widget->font().bold(), expected.bold);
    if (expected.pointSize > 0)
        QCOMPARE(widget->font().pointSizeF(), expected.pointSize);
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

void checkCommand(TerminalHarness &harness, const QString &tab)
{
    QFETCH(QString, button);
    QFETCH(QStringList, setup);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QVERIFY(harness.selectTab(tab));
    QVERIFY(harness.applyAll(setup));
    QVERIFY(harness.click(button));
    QCOMPARE(harness.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(harness.received(), bytes);
}

void addKeyColumns()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
}

void keyRow(const char *name, const char *field, const QStringList &setup, const QString &keys,
            const QString &text)
{
    QTest::newRow(name) << QString::fromLatin1(field) << setup << keys << text;
}

void checkKeys(TerminalHarness &harness, const QString &tab)
{
    QFETCH(QString, field);
    QFETCH(QStringList, setup);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QVERIFY(harness.selectTab(tab));
    QVERIFY(harness.applyAll(setup));
    auto *lineEdit = qobject_cast<QLineEdit *>(harness.find(field));
    QVERIFY(lineEdit);
    harness.type(lineEdit, keys);
    QCOMPARE(lineEdit->text(), text);
}

} // namespace zentrel::test
