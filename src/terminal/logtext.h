#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace zentrel {

class SpillFile;

// Told once when the log cannot go to disk, and when what it put there
// does not come back.
inline const QString kSpillFault =
    QStringLiteral("Cannot keep the log on disk, keeping it in memory!");
inline const QString kSpillDamaged = QStringLiteral("Log text on disk is damaged!");

// The log's content: Latin-1 text, one byte per character, lines joined by
// CR LF exactly as it is saved. It only grows at its end. The text lies in
// blocks of a fixed size; the newest are in memory, each with its line
// starts, and the oldest are compressed into a spill file, of which only
// one index entry a block stays in memory. So a show of any length costs
// the same memory, and every operation costs the same at any length. Where
// no folder takes a spill file, the blocks stay in memory just as they
// would lie on disk, compressed.
//
// Line breaks are the only CR and LF bytes it holds (the renderer shows the
// line's own as "|" or escapes), so a block read back finds its line starts
// again by its LF bytes and can check them against its index entry.
class LogText
{
public:
    struct Limits
    {
        // Small enough to compress or read back within a few milliseconds.
        qsizetype blockSize = 256 << 10;
        // Text kept in memory before the oldest blocks move to disk.
        qsizetype memory = 8 << 20;
        // Where a spill file is tried, in turn, until one takes the text;
        // empty: spillFolders().
        QStringList folders;
        bool namelessFile = true;
    };

    // The user's cache folder, then the runtime folder when the session
    // has one, then the system's temporary folder: the places a private
    // temporary file may live.
    static QStringList spillFolders();

    LogText();
    ~LogText();
    // A copy reads the text as it stood, also after the original was cleared.
    LogText(const LogText &other);
    LogText &operator=(const LogText &) = delete;

    void setLimits(Limits limits) { m_limits = std::move(limits); }
    const Limits &limits() const { return m_limits; }

    bool isEmpty() const { return m_size == 0; }
    qsizetype size() const { return m_size; }

    qsizetype lineCount() const { return m_lineCount; }
    qsizetype lineStart(qsizetype line) const;
    qsizetype lineLength(qsizetype line) const;
    qsizetype lineOf(qsizetype position) const;
    qsizetype longestLine() const { return m_longest; }

    // Appends length bytes from `from` to out; false, with out unchanged,
    // when any of them lie in a block that did not read back intact.
    bool read(qsizetype from, qsizetype length, QByteArray &out) const;
    // A block on disk as it is stored, with what its text must show to be
    // taken as intact, so that any thread can unpack it.
    struct Packed
    {
        QByteArray stored;
        qsizetype size = 0;
        qsizetype lines = 0;
        // Of the first line starting in it, from its own start.
        qsizetype firstStart = 0;
    };
    // The block starting at `from` as stored, when it lies on disk and was
    // not read back already; false otherwise, read() then costs a copy.
    bool packedAt(qsizetype from, Packed &out) const;
    // The block's text and its line starts; false when it is damaged. Safe
    // on any thread: it uses nothing but what it is given.
    static bool unpack(const Packed &packed, QByteArray &text, std::vector<quint32> &starts);

    // A whole line or the whole text: for short logs and lines.
    QByteArray line(qsizetype line) const;
    QByteArray text() const;

    // Starts a new line (after CR LF unless the log is empty) holding piece.
    void appendLine(QByteArrayView piece);
    // Glues piece, which holds no line break, to the end of the last line.
    void append(QByteArrayView piece);
    void clear();

    // Moving text to disk is done a block at a time by whoever owns the
    // event loop, so no append waits for it; only a log that nobody gives
    // the time spills as it grows.
    bool wantsSpill() const;
    void spillStep();
    // True once after no folder took the text and the log went on in
    // memory.
    bool takeSpillFault();
    bool spillFaultPending() const { return m_faultUntold; }
    // Text held as it is, and its line starts.
    qsizetype memoryBytes() const { return m_memory; }
    // Blocks moved out of memory, or packed in it when no file takes them.
    qsizetype spilledBlocks() const { return m_spilled; }
    qsizetype packedBytes() const { return m_packed; }
    bool keptInMemory() const { return m_inMemory; }
    // Of every spill file the log has written.
    qint64 spillFileSize() const;
    // Spilled bytes still on their way to the disk.
    qint64 spillWaiting() const;

private:
    struct Block
    {
        qsizetype start = 0;      // of its first byte in the text
        qsizetype size = 0;       // bytes of text
        qsizetype firstLine = 0;  // lines starting in earlier blocks
        qsizetype lines = 0;      // lines starting in this one
        qsizetype firstStart = 0; // where the first of those starts
        qint64 offset = -1;       // of its compressed bytes, in its file or chunk
        qint64 stored = 0;
        qsizetype file = -1;  // which of the spill files
        qsizetype chunk = -1; // which of the packed chunks, when no file took it
        mutable bool damaged = false;
        QByteArray text;             // while in memory as it is
        std::vector<quint32> starts; // while in memory as it is, from the block's start

        bool moved() const { return file >= 0 || chunk >= 0; }
    };
    struct Loaded
    {
        qsizetype block = -1;
        QByteArray text;
        std::vector<quint32> starts;
        quint64 used = 0;
    };
    // No starts: the block is damaged.
    struct Contents
    {
        QByteArrayView text;
        const std::vector<quint32> *starts = nullptr;
    };

    qsizetype blockOfLine(qsizetype line) const;
    qsizetype blockAt(qsizetype position) const;
    // Text and line starts of a block, from memory or the spill file.
    Contents contents(qsizetype index) const;
    bool readPacked(const Block &block, Packed &out) const;
    // The place a line of a damaged block is given: in order, and empty.
    qsizetype guessedStart(const Block &block, qsizetype line) const;
    Block &writableBlock();
    void addLineStart();
    void appendBytes(QByteArrayView piece);
    // Hands the compressed block to a spill file, the next folder's once
    // the present file has failed; false when no folder is left.
    bool store(const QByteArray &packed, Block &block);
    bool openNextFile();
    // Keeps the compressed block in memory, end to end with the others in
    // large chunks, as a file would: blocks of their own would leave the
    // heap full of holes.
    void keep(QByteArrayView packed, Block &block);

    Limits m_limits;
    std::vector<Block> m_blocks;
    // Every file that holds blocks; the last takes the new ones.
    std::vector<std::shared_ptr<SpillFile>> m_files;
    qsizetype m_nextFolder = 0;
    std::vector<QByteArray> m_chunks;
    mutable std::vector<Loaded> m_loaded;
    mutable quint64 m_uses = 0;
    qsizetype m_size = 0;
    qsizetype m_lineCount = 0;
    qsizetype m_lastStart = 0;
    qsizetype m_longest = 0;
    qsizetype m_memory = 0;
    qsizetype m_spilled = 0;
    qsizetype m_packed = 0;
    bool m_inMemory = false;
    bool m_faultUntold = false;
};

} // namespace zentrel
