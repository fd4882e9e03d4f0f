#pragma once

#include "app/terminal.h"
#include "appdirectory.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"
#include "terminal/logview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <memory>

namespace zentrel::test {

inline QByteArray iniWith(const QByteArray &port, const QByteArray &view = "Standard",
                          const QList<QByteArray> &strings = {})
{
    QByteArray content = "Port: " + port + "\r\nView: " + view + "\r\n";
    for (int k = 0; k < 5; ++k)
        content += "String " + QByteArray::number(k + 1) + ": " + strings.value(k) + "\r\n";
    return content;
}

// A main window on a private program directory with one pseudo-terminal
// pinned as port 1 and selected by the settings file, as after a start.
struct TerminalHarness
{
    explicit TerminalHarness(const QByteArray &ini = iniWith("1"))
    {
        dir.pin(1, device);
        if (!ini.isNull())
            dir.writeIni(ini);
        window = std::make_unique<Terminal>(messages);
    }

    // A misspelt name ends the test program, naming the control, in every build.
    template <typename T> T *find(const char *name) const
    {
        auto *found = window->findChild<T *>(QLatin1StringView(name));
        if (!found)
            qFatal("the main window has no %s named %s", T::staticMetaObject.className(), name);
        return found;
    }

    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }

    void clickTab(int index)
    {
        auto *tabs = find<QTabBar>("DeviceTab");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }

    void pick(const char *list, const QString &item)
    {
        auto *combo = find<QComboBox>(list);
        const int index = combo->findText(item);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }

    void sendCustom(const QString &text)
    {
        find<QLineEdit>("CustomTxt")->setText(text);
        click("SendCusCmd");
    }

    QByteArray logText() const { return window->log()->text(); }

    AppDirectory dir;
    PseudoTerminal device;
    RecordingMessages messages;
    std::unique_ptr<Terminal> window;
};

// What the operator does at the save dialog, checking it on the way.
inline void playSaveDialog(const QString &name, const QString &filter)
{
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types && types->count() == 2);
    QCOMPARE(types->itemText(0) + types->itemText(1), "Log files (*.log)All files (*.*)");
    if (!filter.isEmpty()) {
        // As the operator would: through the dialog's own filter list.
        const int index = types->findText(filter);
        types->setCurrentIndex(index);
        Q_EMIT types->activated(index);
        Q_EMIT types->textActivated(filter);
    }
    dialog->selectFile(name);
    QTimer::singleShot(0, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
    static_cast<QDialog *>(dialog)->accept();
    // Under all files, a name without a dot is listed too.
    const QStringList patterns = dialog->findChild<QFileSystemModel *>()->nameFilters();
    QVERIFY(filter.isEmpty() || QDir::match(patterns, QStringLiteral("README")));
}

// Plays the operator at the save dialog: picks the filter, types the name
// and, when asked whether to replace a file, answers yes. A check that fails
// on the way closes whatever dialog is open, so the test ends there rather
// than at CTest's timeout.
inline void answerSaveDialog(const QString &name, const QString &filter = {})
{
    QTimer::singleShot(0, [name, filter] {
        playSaveDialog(name, filter);
        if (QTest::currentTestFailed()) {
            if (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                open->reject();
        }
    });
}

inline void cancelSaveDialog()
{
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

} // namespace zentrel::test
