#include "panelharness.h"

#include "app/terminal.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace zentrel::test {

namespace {

// No panel sends these bytes, so they cannot be mistaken for a command.
const QByteArray kMarker = QByteArrayLiteral("\xFF<end>\xFF");

} // namespace

PanelHarness::PanelHarness() : messages(m_base.messages), m_terminal(m_base.window)
{
    m_terminal->show();
    m_terminal->activateWindow();
    if (!QTest::qWaitForWindowActive(m_terminal.get()))
        qWarning("the main window did not become active; focus changes will not happen");
}

PanelHarness::~PanelHarness() = default;

bool PanelHarness::selectTab(const QString &caption)
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

QWidget *PanelHarness::find(const QString &name) const
{
    return m_terminal->findChild<QWidget *>(name);
}

bool PanelHarness::apply(const QString &assignment)
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
    m_terminal->setIDAllowed(false);
    m_terminal->SendCommand(kMarker);
    QByteArray got;
    const QDeadlineTimer deadline(5000);
    while (!got.endsWith(kMarker) && !deadline.hasExpired())
        got += m_base.device.read(1, int(deadline.remainingTime()));
    if (!got.endsWith(kMarker))
        return got + "<marker missing>";
    return got.chopped(kMarker.size());
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

void checkCommand(PanelHarness &harness, const QString &tab)
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

void listRows(const char *button, const char *list, const char *message,
              std::initializer_list<std::pair<const char *, const char *>> items)
{
    commandRow(qPrintable(QStringLiteral("%1 with nothing chosen").arg(button)), button, {}, {},
               message);
    for (const auto &[item, code] : items) {
        commandRow(qPrintable(QStringLiteral("%1 %2").arg(button, item)), button,
                   {QStringLiteral("%1=%2").arg(list, item)}, QByteArray(code) + '\r');
    }
}

} // namespace zentrel::test
