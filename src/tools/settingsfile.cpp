#include "tools/settingsfile.h"

#include "tools/apppath.h"
#include "tools/filewriter.h"

#include <QFile>

namespace zentrel::settings {

QString linePrefix(int line)
{
    switch (line) {
    case kPortLine:
        return QStringLiteral("Port: ");
    case kViewLine:
        return QStringLiteral("View: ");
    default:
        return QStringLiteral("String %1: ").arg(line - kFirstStringLine + 1);
    }
}

QString corruptLineMessage(int line)
{
    return QStringLiteral("Corrupt \"%1\"line in ini file!").arg(linePrefix(line).chopped(1));
}

QList<Line> parse(QByteArrayView content)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < content.size() && lines.size() < kLineCount) {
        auto end = content.indexOf('\n', start);
        const auto next = end < 0 ? content.size() : end + 1;
        if (end < 0)
            end = content.size();
        else if (end > start && content.at(end - 1) == '\r')
            --end;
        const auto text = QString::fromLatin1(content.sliced(start, end - start));
        const auto prefix = linePrefix(int(lines.size()));
        Line line;
        line.prefixOk = text.startsWith(prefix);
        if (line.prefixOk)
            line.value = text.sliced(prefix.size());
        lines.append(line);
        start = next;
    }
    return lines;
}

QList<Setting> interpret(QByteArrayView content)
{
    QList<Setting> settings;
    const auto lines = parse(content);
    for (int i = 0; i < lines.size(); ++i) {
        const auto &line = lines.at(i);
        Setting setting{i, {}, line.value};
        if (i == kViewLine) {
            const auto mode = line.prefixOk ? viewModeFromText(line.value) : std::nullopt;
            setting.view = mode.value_or(ViewMode::Standard);
            if (!mode)
                setting.corrupt = corruptLineMessage(i);
        } else if (!line.prefixOk) {
            setting.corrupt = corruptLineMessage(i);
        }
        settings.append(setting);
    }
    return settings;
}

namespace {

const QString &valueOf(const Values &values, int line)
{
    return line == kPortLine   ? values.port
           : line == kViewLine ? values.view
                               : values.strings[size_t(line - kFirstStringLine)];
}

} // namespace

std::optional<QString> unsavableCharacter(const Values &values)
{
    for (int line = 0; line < kLineCount; ++line) {
        // By code point, so a character beyond U+FFFF is named whole.
        for (const char32_t c : valueOf(values, line).toUcs4()) {
            if (c > 0xFF) {
                const QString code =
                    QStringLiteral("%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
                return QStringLiteral("Invalid character \"%1\" (U+%2) in %3!")
                    .arg(QString::fromUcs4(&c, 1), code, linePrefix(line).chopped(2));
            }
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> compose(const Values &values)
{
    if (unsavableCharacter(values))
        return std::nullopt;
    QByteArray content;
    for (int line = 0; line < kLineCount; ++line) {
        const QString &value = valueOf(values, line);
        content.append(linePrefix(line).toLatin1());
        content.append(value.toLatin1());
        content.append("\r\n");
    }
    return content;
}

QString filePath()
{
    return AppPath() + kFileName;
}

std::optional<QByteArray> readFile()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeFile(const QByteArray &content)
{
    return FileWriter::replace(filePath(), {content});
}

} // namespace zentrel::settings
