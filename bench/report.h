#pragma once

#include <QString>

#include <optional>

namespace zentrel::bench {

// One benchmark's figures as rows of a table: what was measured, the value,
// the goal and whether the value meets it. The runner gathers the rows of
// every program into one table; a missed goal makes the program fail.
class Report
{
public:
    explicit Report(QString program);

    // A figure with a goal; `met` says whether the value reaches it.
    void goal(const QString &figure, const QString &value, const QString &target, bool met);
    // A figure shown for context only.
    void info(const QString &figure, const QString &value);
    // A figure beside a goal that something other than the program decides
    // (another program's speed, the machine's load): never a missed goal.
    void context(const QString &figure, const QString &value, const QString &target);

    int exitCode() const { return m_missed ? 1 : 0; }

private:
    void row(const QString &figure, const QString &value, const QString &target,
             const QString &verdict);

    QString m_program;
    bool m_missed = false;
};

// Resident memory of this process, in bytes.
qint64 residentBytes();
// CPU time of this process (user and system), in seconds.
double processCpuSeconds();
// CPU time of the calling thread, in seconds.
double threadCpuSeconds();
// The number a field of a /proc status file starts with ("VmRSS:  123 kB"
// gives 123 for "VmRSS"); none when the field is missing.
std::optional<qint64> statusNumber(const QByteArray &status, const char *field);

QString fixed(double value, int decimals);
QString mebibytes(qint64 bytes);

} // namespace zentrel::bench
