#pragma once

#include "terminal/logmodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace zentrel::bench {

// The traffic of a Rapid Fire run against a device that answers each
// command in two pieces: a sent line, a received line, a glued piece.
struct Traffic
{
    static constexpr int kAppendsPerExchange = 3;
    static constexpr int kBatch = 2000;

    LogModel &log;
    // Batches with a turn of the event loop between them, as in the program,
    // so that the log spills what it holds beyond its memory.
    bool betweenEvents = false;

    void exchange()
    {
        log.write("PL\r", Direction::Sent, ViewMode::Standard);
        log.write("R", Direction::Received, ViewMode::Standard);
        log.write("\r", Direction::Received, ViewMode::Standard);
    }

    void growTo(qsizetype lines)
    {
        while (log.lineCount() < lines) {
            for (int i = 0; i < kBatch && log.lineCount() < lines; ++i)
                exchange();
            if (betweenEvents)
                QCoreApplication::processEvents();
        }
    }

    // Nanoseconds per append at the log's present length: the best of a few
    // batches, so a moment of noise on the machine does not count.
    double appendCost()
    {
        double best = 1e12;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer clock;
            clock.start();
            for (int i = 0; i < kBatch; ++i)
                exchange();
            best = std::min(best, double(clock.nsecsElapsed()) / (kBatch * kAppendsPerExchange));
            if (betweenEvents)
                QCoreApplication::processEvents();
        }
        return best;
    }
};

} // namespace zentrel::bench
