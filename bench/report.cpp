#include "report.h"

#include <QFile>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace zentrel::bench {

Report::Report(QString program) : m_program(std::move(program)) {}

void Report::goal(const QString &figure, const QString &value, const QString &target, bool met)
{
    m_missed = m_missed || !met;
    row(figure, value, target, met ? QStringLiteral("ok") : QStringLiteral("MISSED"));
}

void Report::info(const QString &figure, const QString &value)
{
    row(figure, value, QStringLiteral("-"), QStringLiteral("-"));
}

void Report::context(const QString &figure, const QString &value, const QString &target)
{
    row(figure, value, target, QStringLiteral("-"));
}

void Report::row(const QString &figure, const QString &value, const QString &target,
                 const QString &verdict)
{
    // Tab-separated, so the runner can line up the rows of all programs.
    std::printf("%s\t%s\t%s\t%s\t%s\n", qPrintable(m_program), qPrintable(figure),
                qPrintable(value), qPrintable(target), qPrintable(verdict));
    std::fflush(stdout);
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const auto fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

std::optional<qint64> statusNumber(const QByteArray &status, const char *field)
{
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).simplified().split(' ').value(0).toLongLong();
    return std::nullopt;
}

double processCpuSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double threadCpuSeconds()
{
    timespec t = {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString mebibytes(qint64 bytes)
{
    return fixed(double(bytes) / (1024.0 * 1024.0), 1) + QStringLiteral(" MiB");
}

} // namespace zentrel::bench
