#include "tools/logtools.h"

#include "forms/formtable.h"
#include "terminal/logview.h"
#include "tools/filewriter.h"
#include "tools/fontsize.h"
#include "tools/queuedfilewriter.h"
#include "tools/settingsfile.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QProgressDialog>
#include <QPushButton>

namespace {
// Pieces of one block each, a few ms to unpack or write: enough of them
// keep the file's thread busy between two turns of the event loop.
constexpr std::size_t kQueuedPieces = 32;
// Time a turn of the event loop may give the save, and the first turn,
// which finishes a log of ordinary size before the click returns.
constexpr int kSlice = 10;
constexpr int kFirstSlice = 20;
constexpr int kProgressSteps = 1000;
} // namespace

namespace zentrel {

LogTools::LogTools(LogView &view, LogModel &log, MessageSink &messages, QWidget *window)
    : QObject(window), m_view(view), m_log(log), m_messages(messages), m_window(window)
{
    connect(control<QPushButton>(window, "ClearCmd"), &QPushButton::clicked, this,
            &LogTools::ClearCmd_Click);
    connect(control<QPushButton>(window, "SaveLogCmd"), &QPushButton::clicked, this,
            &LogTools::SaveLogCmd_Click);
    connect(control<QPushButton>(window, "FontCmd"), &QPushButton::clicked, this,
            &LogTools::FontCmd_Click);
    m_saving.setInterval(0);
    connect(&m_saving, &QTimer::timeout, this, [this] { savePieces(kSlice); });
}

LogTools::~LogTools() = default;

void LogTools::ClearCmd_Click()
{
    m_log.clear();
}

QString LogTools::askFileName()
{
    QFileDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("CDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog shows a filter's text less its last parenthesis, which holds
    // the patterns it applies, so each label keeps its own parenthesis and the
    // patterns follow it. Native dialogs cut the label at its first
    // parenthesis instead, so the program keeps to Qt's own.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters;
    for (qsizetype k = 0; k < kFilterLabels.size(); ++k)
        filters.append(kFilterLabels.at(k) + QStringLiteral(" (") + kFilterPatterns.at(k) + u')');
    dialog.setNameFilters(filters);
    // A name typed without an extension under the log filter becomes a .log file;
    // the dialog asks before replacing whatever name results.
    dialog.setDefaultSuffix(QStringLiteral("log"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters](const QString &f) {
        dialog.setDefaultSuffix(f == filters.first() ? QStringLiteral("log") : QString());
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void LogTools::SaveLogCmd_Click()
{
    if (m_file)
        return;
    const QString path = askFileName();
    if (path.isEmpty())
        return;
    m_window->setCursor(Qt::WaitCursor);
    control<QPushButton>(m_window, "SaveLogCmd")->setEnabled(false);
    // A copy of the index and the memory blocks: what was pressed for,
    // whatever arrives or is cleared after.
    m_saved.emplace(m_log.text());
    m_handedOver = 0;
    m_saveClock.start();
    auto file = std::make_unique<FileWriter>(path);
    if (!file->open())
        return endSave(settings::kSaveError);
    m_file = std::make_unique<QueuedFileWriter>(std::move(file), kQueuedPieces);
    if (savePieces(kFirstSlice))
        return;
    // A log of ordinary size went whole in the first turn: it is on the
    // disk when the click returns, as the operator would expect.
    if (m_handedOver > m_saved->size() && !m_ready) {
        m_file->wait(-1);
        savePieces(0);
        return;
    }
    m_saving.start();
}

std::optional<QueuedFileWriter::Piece> LogTools::takePiece(bool unpackHere)
{
    const auto size = m_saved->size();
    if (m_handedOver == size) {
        // Past the end: nothing is left to take.
        ++m_handedOver;
        return QueuedFileWriter::Piece{QByteArrayLiteral("\r\n"), {}};
    }
    QueuedFileWriter::Piece piece;
    LogText::Packed packed;
    if (m_saved->packedAt(m_handedOver, packed)) {
        m_handedOver += packed.size;
        auto unpack = [packed = std::move(packed)](QByteArray &bytes) {
            std::vector<quint32> starts;
            return LogText::unpack(packed, bytes, starts);
        };
        if (!unpackHere)
            piece.unpack = std::move(unpack);
        else if (!unpack(piece.bytes))
            return {};
        return piece;
    }
    if (!m_saved->read(m_handedOver, std::min(m_saved->limits().blockSize, size - m_handedOver),
                       piece.bytes))
        return {};
    m_handedOver += piece.bytes.size();
    return piece;
}

void LogTools::handOver(QueuedFileWriter::Piece piece)
{
    m_file->push(std::move(piece));
    if (!m_ready && m_handedOver > m_saved->size())
        m_file->finish();
}

bool LogTools::savePieces(int milliseconds)
{
    QElapsedTimer slice;
    slice.start();
    for (;;) {
        if (const auto state = m_file->state(); state != QueuedFileWriter::State::Writing)
            return endSave(state == QueuedFileWriter::State::Committed    ? QString()
                           : state == QueuedFileWriter::State::Unreadable ? kSpillDamaged
                                                                          : settings::kSaveError),
                   true;
        const bool room = m_file->hasRoom();
        if (m_ready && room) {
            handOver(*std::exchange(m_ready, std::nullopt));
        } else if (!m_ready && m_handedOver <= m_saved->size()) {
            // While the file's thread has room it unpacks what it is given;
            // once it is busy, the next block is unpacked here meanwhile.
            auto piece = takePiece(!room);
            if (!piece)
                return endSave(kSpillDamaged), true;
            if (room)
                handOver(std::move(*piece));
            else
                m_ready = std::move(piece);
        } else {
            m_file->wait(int(std::max<qint64>(0, milliseconds - slice.elapsed())));
        }
        if (slice.hasExpired(milliseconds))
            break;
    }
    if (!m_progress && (m_exiting || m_saveClock.hasExpired(1000))) {
        m_progress =
            new QProgressDialog(tr("Saving log..."), QString(), 0, kProgressSteps, m_window);
        m_progress->setWindowTitle(kAppTitle);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->show();
    }
    if (m_progress)
        m_progress->setValue(
            int(double(m_handedOver) / double(m_saved->size() + 1) * kProgressSteps));
    return false;
}

void LogTools::endSave(const QString &failure)
{
    m_saving.stop();
    m_file.reset();
    m_ready.reset();
    m_saved.reset();
    delete m_progress;
    m_window->unsetCursor();
    control<QPushButton>(m_window, "SaveLogCmd")->setEnabled(true);
    // Saying nothing would leave the operator believing the log was kept.
    if (!failure.isEmpty())
        m_messages.show(failure);
}

void LogTools::finishSave()
{
    m_exiting = true;
    while (m_file) {
        if (!savePieces(kSlice))
            QCoreApplication::processEvents();
    }
}

void LogTools::FontCmd_Click()
{
    const double current = m_view.fontPointSize();
    const double next = nextFontSize(current);
    if (next != current)
        m_view.setFontPointSize(next);
    m_view.moveCaretToEnd();
}

} // namespace zentrel
