#pragma once

#include "terminal/logmodel.h"
#include "terminal/messagesink.h"
#include "tools/queuedfilewriter.h"

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

// Clear Log, Save Log and Font Size: the three buttons that act on the log.
// Save Log writes the log as it stood when pressed: it reads the log back in
// pieces between events and a thread of the file's own writes them, so a
// log of gigabytes keeps the window answering and the disk busy; text
// arriving meanwhile, and a Clear Log, leave that file alone. Unpacking the
// blocks from disk is the costly part, so both threads share it.
class LogTools : public QObject
{
    Q_OBJECT

public:
    // What the save dialog's file type list shows, and the patterns behind
    // it: "*.*" would hide every file whose name has no dot.
    inline static const QStringList kFilterLabels{QStringLiteral("Log files (*.log)"),
                                                  QStringLiteral("All files (*.*)")};
    inline static const QStringList kFilterPatterns{QStringLiteral("*.log"), QStringLiteral("*")};

    // Wires the window's ClearCmd, SaveLogCmd and FontCmd buttons to itself:
    // the first two act on the log, the third on its view.
    LogTools(LogView &view, LogModel &log, MessageSink &messages, QWidget *window);
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
    // The next block, or the end; unpacked here or left to the file's thread.
    // Empty when the block is damaged.
    std::optional<QueuedFileWriter::Piece> takePiece(bool unpackHere);
    void handOver(QueuedFileWriter::Piece piece);
    void endSave(const QString &failure);

    LogView &m_view;
    LogModel &m_log;
    MessageSink &m_messages;
    QWidget *m_window;
    std::optional<LogText> m_saved;
    std::unique_ptr<QueuedFileWriter> m_file;
    // How much of the log was taken for the file; one more once the end was.
    qsizetype m_handedOver = 0;
    // Unpacked here while the file had no room, waiting for it.
    std::optional<QueuedFileWriter::Piece> m_ready;
    bool m_exiting = false;
    QTimer m_saving;
    QElapsedTimer m_saveClock;
    QPointer<QProgressDialog> m_progress;
};

} // namespace zentrel
