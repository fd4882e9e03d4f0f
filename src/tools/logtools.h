#pragma once

#include "terminal/logtext.h"
#include "terminal/messagesink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

namespace zentrel {

class LogView;
class LogWriter;

class QueuedFileWriter;

// Clear Log, Save Log and Font Size: the three buttons that act on the log.
// Save Log writes the log as it stood when pressed: it reads the log back in
// pieces between events and a thread of the file's own writes them, so a
// log of gigabytes keeps the window answering and the disk busy; text
// arriving meanwhile, and a Clear Log, leave that file alone.
class LogTools : public QObject
{
    Q_OBJECT

public:
    // What the save dialog's file type list shows, and the patterns behind
    // it: "*.*" would hide every file whose name has no dot.
    inline static const QStringList kFilterLabels{QStringLiteral("Log files (*.log)"),
                                                  QStringLiteral("All files (*.*)")};
    inline static const QStringList kFilterPatterns{QStringLiteral("*.log"), QStringLiteral("*")};

    // Wires the window's ClearCmd, SaveLogCmd and FontCmd buttons to itself.
    LogTools(LogView &log, LogWriter &writer, MessageSink &messages, QWidget *window);
    ~LogTools() override;

    void ClearCmd_Click();
    void SaveLogCmd_Click();
    void FontCmd_Click();

    bool saving() const { return bool(m_file); }
    // Exit waits for a running save, showing how far it is.
    void finishSave();

private:
    QString askFileName();
    // Hands pieces to the file for up to the given time; false until the
    // file is done with.
    bool savePieces(int milliseconds);
    bool handOverPiece();
    void endSave(const QString &failure);

    LogView &m_log;
    LogWriter &m_writer;
    MessageSink &m_messages;
    QWidget *m_window;
    std::optional<LogText> m_saved;
    std::unique_ptr<QueuedFileWriter> m_file;
    // How much of the log went to the file; one more once the end went too.
    qsizetype m_handedOver = 0;
    bool m_exiting = false;
    QTimer m_saving;
    QElapsedTimer m_saveClock;
    QPointer<QProgressDialog> m_progress;
};

} // namespace zentrel
