#pragma once

#include "terminal/messagesink.h"

#include <QObject>

class QWidget;

namespace zentrel {

class LogView;
class LogWriter;

// Clear Log, Save Log and Font Size: the three buttons that act on the log.
class LogTools : public QObject
{
    Q_OBJECT

public:
    inline static const QString kFilter = QStringLiteral("Log files (*.log);;All files (*.*)");

    // Wires the window's ClearCmd, SaveLogCmd and FontCmd buttons to itself.
    LogTools(LogView &log, LogWriter &writer, MessageSink &messages, QWidget *window);

    void ClearCmd_Click();
    void SaveLogCmd_Click();
    void FontCmd_Click();

    // The log's text and one CR LF, replacing the file whole or not at all.
    static bool saveLog(const QByteArray &text, const QString &path);

private:
    QString askFileName();

    LogView &m_log;
    LogWriter &m_writer;
    MessageSink &m_messages;
    QWidget *m_window;
};

} // namespace zentrel
