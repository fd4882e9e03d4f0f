#include "tools/logtools.h"

#include "forms/formtable.h"
#include "terminal/logview.h"
#include "terminal/logwriter.h"
#include "tools/filewriter.h"
#include "tools/fontsize.h"
#include "tools/settingsfile.h"

#include <QFileDialog>
#include <QPushButton>

namespace zentrel {

LogTools::LogTools(LogView &log, LogWriter &writer, MessageSink &messages, QWidget *window)
    : QObject(window), m_log(log), m_writer(writer), m_messages(messages), m_window(window)
{
    connect(control<QPushButton>(window, "ClearCmd"), &QPushButton::clicked, this,
            &LogTools::ClearCmd_Click);
    connect(control<QPushButton>(window, "SaveLogCmd"), &QPushButton::clicked, this,
            &LogTools::SaveLogCmd_Click);
    connect(control<QPushButton>(window, "FontCmd"), &QPushButton::clicked, this,
            &LogTools::FontCmd_Click);
}

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
    return FileWriter::replace(path, {text, "\r\n"});
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
