#include "tools/logtools.h"

#include "terminal/logview.h"
#include "terminal/logwriter.h"
#include "tools/fontsize.h"
#include "tools/settingsfile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace zentrel {

LogTools::LogTools(LogView &log, LogWriter &writer, MessageSink &messages, QWidget *window)
    : QObject(window), m_log(log), m_writer(writer), m_messages(messages), m_window(window)
{}

void LogTools::ClearCmd_Click()
{
    m_log.clear();
    m_writer.setNewReceiveLine(true);
}

QString LogTools::askFileName()
{
    QFileDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("CDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = kFilter.split(QStringLiteral(";;"));
    dialog.setNameFilters(filters);
    // A name typed without an extension under the log filter becomes a .log file;
    // the dialog asks before replacing whatever name results.
    dialog.setDefaultSuffix(QStringLiteral("log"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters](const QString &f) {
        dialog.setDefaultSuffix(f == filters.first() ? QStringLiteral("log") : QString());
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void LogTools::SaveLogCmd_Click()
{
    const QString path = askFileName();
    if (path.isEmpty())
        return;
    m_window->setCursor(Qt::WaitCursor);
    const bool saved = saveLog(m_log.text(), path);
    m_window->unsetCursor();
    // Saying nothing would leave the operator believing the log was kept.
    if (!saved)
        m_messages.show(settings::kSaveError);
}

bool LogTools::saveLog(const QByteArray &text, const QString &path)
{
    // A device or a pipe is written to, never replaced: putting a new file in
    // place of /dev/something would break it for every other program.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile device(path);
        return device.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
               device.write(text) == text.size() && device.write("\r\n", 2) == 2;
    }
    QSaveFile file(path);
    // Unbuffered, so a disk that fills up fails the write itself: a failure
    // left to the flush inside commit() would still replace the old file
    // with the part that fitted.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(text) != text.size() || file.write("\r\n", 2) != 2) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void LogTools::FontCmd_Click()
{
    const double current = m_log.fontPointSize();
    const double next = nextFontSize(current);
    if (next != current)
        m_log.setFontPointSize(next);
    m_log.moveCaretToEnd();
}

} // namespace zentrel
