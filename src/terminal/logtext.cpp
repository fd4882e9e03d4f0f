#include "terminal/logtext.h"

#include "terminal/escaperuns.h"
#include "terminal/spillfile.h"

#include <QStandardPaths>

#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace zentrel {

namespace {

constexpr qsizetype kLineBreak = 2;
// Blocks read back and kept: the rows in view and a selection's two ends.
constexpr std::size_t kLoadedBlocks = 4;
// Level 1 compresses a block in a few milliseconds; higher ones gain little
// on log text and cost the event loop more.
constexpr int kLevel = 1;
// Compressed bytes that may wait for the disk.
constexpr qint64 kMostWaiting = qint64(16) << 20;

ZSTD_CCtx *compressor()
{
    static ZSTD_CCtx *context = [] {
        ZSTD_CCtx *made = ZSTD_createCCtx();
        ZSTD_CCtx_setParameter(made, ZSTD_c_compressionLevel, kLevel);
        // A damaged block is caught by its checksum, never shown as text.
        ZSTD_CCtx_setParameter(made, ZSTD_c_checksumFlag, 1);
        return made;
    }();
    return context;
}

// One for each thread: a Save Log unpacks blocks on its writing thread too.
ZSTD_DCtx *decompressor()
{
    thread_local const std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> context(
        ZSTD_createDCtx(), &ZSTD_freeDCtx);
    return context.get();
}

} // namespace

LogText::LogText()
{
    clear();
}

LogText::~LogText() = default;

LogText::LogText(const LogText &other) = default;

qsizetype LogText::blockOfLine(qsizetype line) const
{
    const auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), line,
                                     [](qsizetype l, const Block &b) { return l < b.firstLine; });
    return std::max<qsizetype>(0, qsizetype(it - m_blocks.begin()) - 1);
}

qsizetype LogText::blockAt(qsizetype position) const
{
    const auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), position,
                                     [](qsizetype p, const Block &b) { return p < b.start; });
    return std::max<qsizetype>(0, qsizetype(it - m_blocks.begin()) - 1);
}

qsizetype LogText::guessedStart(const Block &block, qsizetype line) const
{
    // Every real start lies at least a line break past the one before.
    return block.firstStart + (line - block.firstLine) * kLineBreak;
}

qsizetype LogText::lineStart(qsizetype line) const
{
    const auto index = blockOfLine(line);
    const Block &block = m_blocks[size_t(index)];
    if (line == block.firstLine)
        return block.firstStart;
    const Contents contents = this->contents(index);
    if (!contents.starts)
        return guessedStart(block, line);
    return block.start + (*contents.starts)[size_t(line - block.firstLine)];
}

qsizetype LogText::lineLength(qsizetype line) const
{
    const auto next = line + 1;
    const auto end = next < m_lineCount ? lineStart(next) - kLineBreak : m_size;
    return std::max<qsizetype>(0, end - lineStart(line));
}

qsizetype LogText::lineOf(qsizetype position) const
{
    const auto index = blockAt(position);
    const Block &block = m_blocks[size_t(index)];
    if (block.lines == 0 || position < block.firstStart)
        return block.firstLine - 1;
    const Contents contents = this->contents(index);
    if (!contents.starts) {
        const auto k = std::min((position - block.firstStart) / kLineBreak, block.lines - 1);
        return block.firstLine + k;
    }
    const auto &starts = *contents.starts;
    const auto it = std::upper_bound(starts.begin(), starts.end(), quint32(position - block.start));
    return block.firstLine + qsizetype(it - starts.begin()) - 1;
}

LogText::Contents LogText::contents(qsizetype index) const
{
    const Block &block = m_blocks[size_t(index)];
    if (block.offset < 0)
        return {block.text, &block.starts};
    if (block.damaged)
        return {};
    for (Loaded &loaded : m_loaded) {
        if (loaded.block == index) {
            loaded.used = ++m_uses;
            return {loaded.text, &loaded.starts};
        }
    }
    // The oldest block read back makes room, its buffers reused.
    if (m_loaded.size() < kLoadedBlocks)
        m_loaded.emplace_back();
    Loaded &loaded =
        *std::min_element(m_loaded.begin(), m_loaded.end(),
                          [](const Loaded &a, const Loaded &b) { return a.used < b.used; });
    loaded.block = -1;
    loaded.starts.clear();
    static Packed packed;
    const bool intact = readPacked(block, packed) && unpack(packed, loaded.text, loaded.starts);
    if (!intact) {
        block.damaged = true;
        return {};
    }
    loaded.block = index;
    loaded.used = ++m_uses;
    return {loaded.text, &loaded.starts};
}

bool LogText::readPacked(const Block &block, Packed &out) const
{
    out.size = block.size;
    out.lines = block.lines;
    out.firstStart = block.firstStart - block.start;
    return m_file && m_file->read(block.offset, block.stored, out.stored);
}

bool LogText::packedAt(qsizetype from, Packed &out) const
{
    if (from < 0 || from >= m_size)
        return false;
    const auto index = blockAt(from);
    const Block &block = m_blocks[size_t(index)];
    if (block.start != from || block.offset < 0 || block.damaged ||
        std::any_of(m_loaded.begin(), m_loaded.end(),
                    [index](const Loaded &loaded) { return loaded.block == index; }))
        return false;
    if (readPacked(block, out))
        return true;
    // Not read now, not readable later: reading it through read() says so.
    block.damaged = true;
    return false;
}

bool LogText::unpack(const Packed &packed, QByteArray &text, std::vector<quint32> &starts)
{
    starts.clear();
    // The runs of escapes, expanded again, never double a block's size.
    const auto runs =
        ZSTD_getFrameContentSize(packed.stored.constData(), size_t(packed.stored.size()));
    if (runs > 2 * quint64(packed.size))
        return false;
    thread_local QByteArray unzipped;
    unzipped.resize(qsizetype(runs));
    const auto unpacked =
        ZSTD_decompressDCtx(decompressor(), unzipped.data(), size_t(runs),
                            packed.stored.constData(), size_t(packed.stored.size()));
    text.resize(packed.size);
    if (ZSTD_isError(unpacked) || unpacked != runs ||
        !unpackEscapeRuns(unzipped, text.data(), packed.size))
        return false;
    if (packed.lines > 0 && packed.firstStart == 0)
        starts.push_back(0);
    const char *data = text.constData();
    const char *end = data + packed.size;
    for (const char *at = data;
         (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at))));) {
        ++at;
        if (at < end)
            starts.push_back(quint32(at - data));
    }
    return qsizetype(starts.size()) == packed.lines &&
           (packed.lines == 0 || qsizetype(starts.front()) == packed.firstStart);
}

bool LogText::read(qsizetype from, qsizetype length, QByteArray &out) const
{
    from = std::clamp<qsizetype>(from, 0, m_size);
    length = std::clamp<qsizetype>(length, 0, m_size - from);
    if (length == 0)
        return true;
    const auto before = out.size();
    out.reserve(before + length);
    for (auto index = blockAt(from); length > 0; ++index) {
        const Block &block = m_blocks[size_t(index)];
        const Contents contents = this->contents(index);
        if (!contents.starts) {
            out.truncate(before);
            return false;
        }
        const auto offset = from - block.start;
        const auto count = std::min(length, block.size - offset);
        out.append(contents.text.data() + offset, count);
        from += count;
        length -= count;
    }
    return true;
}

QByteArray LogText::line(qsizetype line) const
{
    QByteArray out;
    read(lineStart(line), lineLength(line), out);
    return out;
}

QByteArray LogText::text() const
{
    QByteArray out;
    read(0, m_size, out);
    return out;
}

LogText::Block &LogText::writableBlock()
{
    if (m_blocks.empty() || m_blocks.back().size >= m_limits.blockSize) {
        Block block;
        block.start = m_size;
        block.firstLine = m_lineCount;
        block.firstStart = m_size;
        block.text.reserve(m_limits.blockSize);
        m_blocks.push_back(std::move(block));
    }
    return m_blocks.back();
}

void LogText::addLineStart()
{
    Block &block = writableBlock();
    if (block.lines == 0)
        block.firstStart = m_size;
    block.starts.push_back(quint32(m_size - block.start));
    ++block.lines;
    ++m_lineCount;
    m_lastStart = m_size;
    m_memory += qsizetype(sizeof(quint32));
}

void LogText::appendBytes(QByteArrayView piece)
{
    while (!piece.isEmpty()) {
        Block &block = writableBlock();
        const auto count = std::min(piece.size(), m_limits.blockSize - block.size);
        block.text.append(piece.first(count));
        block.size += count;
        m_size += count;
        m_memory += count;
        piece = piece.sliced(count);
    }
}

void LogText::appendLine(QByteArrayView piece)
{
    if (m_size > 0) {
        appendBytes("\r\n");
        addLineStart();
    }
    append(piece);
}

void LogText::append(QByteArrayView piece)
{
    appendBytes(piece);
    m_longest = std::max(m_longest, m_size - m_lastStart);
    // Only a log that nobody gives the time to spill pays for it here.
    if (m_memory > 2 * m_limits.memory)
        spillStep();
}

void LogText::clear()
{
    // Hand the memory and the disk space back; a copy that still reads the
    // old text keeps its file until it is done.
    m_blocks = {};
    m_loaded = {};
    m_file.reset();
    m_size = m_lineCount = m_lastStart = m_longest = m_memory = m_spilled = 0;
    m_spillBroken = false;
    addLineStart();
}

bool LogText::wantsSpill() const
{
    if (m_spillBroken)
        return false;
    // A write that failed on the file's thread after the last block was
    // handed over is seen, and told, by the next step.
    if (m_file && m_file->failed())
        return true;
    // While the disk falls behind, the text waits here rather than twice
    // over, compressed, for the disk.
    const bool behind = m_file && m_file->waiting() > kMostWaiting;
    return m_memory > m_limits.memory && m_spilled + 1 < qsizetype(m_blocks.size()) && !behind;
}

qint64 LogText::spillWaiting() const
{
    return m_file ? m_file->waiting() : 0;
}

void LogText::spillStep()
{
    if (!wantsSpill())
        return;
    if (m_file && m_file->failed())
        return fault();
    if (!m_file) {
        const QString folder = m_limits.folder.isEmpty()
                                   ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                                   : m_limits.folder;
        m_file = SpillFile::create(folder, m_limits.namelessFile);
        if (!m_file)
            return fault();
    }
    Block &block = m_blocks[size_t(m_spilled)];
    const QByteArray runs = packEscapeRuns(block.text);
    static QByteArray packed;
    packed.resize(qsizetype(ZSTD_compressBound(size_t(runs.size()))));
    const auto size = ZSTD_compress2(compressor(), packed.data(), size_t(packed.size()),
                                     runs.constData(), size_t(runs.size()));
    qint64 offset = 0;
    if (ZSTD_isError(size) ||
        !m_file->append(QByteArray(packed.constData(), qsizetype(size)), offset))
        return fault();
    block.offset = offset;
    block.stored = qint64(size);
    m_memory -= block.size + qsizetype(block.starts.size() * sizeof(quint32));
    block.text = QByteArray();
    std::vector<quint32>().swap(block.starts);
    ++m_spilled;
}

void LogText::fault()
{
    m_spillBroken = true;
    m_faultUntold = true;
}

bool LogText::takeSpillFault()
{
    return std::exchange(m_faultUntold, false);
}

qint64 LogText::spillFileSize() const
{
    return m_file ? m_file->size() : 0;
}

} // namespace zentrel
