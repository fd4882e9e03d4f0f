#pragma once

#include "simdevice.h"

namespace zentrel::sim {

// The shared framing of the ASCII families: requests are lines ended by a
// carriage return, optionally addressed with a unit-ID prefix ("5@", "*@").
// A line is an argument followed by a two-character code ("12SE", "?V");
// each family says what its codes mean and answers "R" for a command it
// carried out, a value for a request, and "E" for anything it does not know.
class AsciiDevice : public SimDevice
{
public:
    explicit AsciiDevice(QString family, int unitId);

    QList<Exchange> feed(QByteArrayView bytes) override;
    QString identity() const override;

    int unitId() const { return m_unitId; }

    // Four decimal parts 0 to 255 of at most three digits, not all zero.
    static bool isDottedQuad(QByteArrayView text);
    // Only digits, between minLength and maxLength of them.
    static bool isDigits(QByteArrayView text, int minLength, int maxLength);

protected:
    struct Answer
    {
        QString meaning;
        QByteArray reply; // without the closing carriage return
    };
    static Answer done(QString meaning) { return {std::move(meaning), "R"}; }
    static Answer value(QString meaning, QByteArray text)
    {
        return {std::move(meaning), std::move(text)};
    }
    static Answer refuse(QString reason) { return {std::move(reason), "E"}; }
    static Answer unknown(QByteArrayView code);
    // What a transport code of the two video machines does ("play" for PL,
    // and so on for PA, ST, RJ and LP); null for any other code.
    static const char *videoTransport(QByteArrayView code);

    virtual Answer respond(const QByteArray &argument, const QByteArray &code) = 0;

    void setUnitId(int unitId) { m_unitId = unitId; }

private:
    Exchange takeLine(const QByteArray &line);
    // True when a prefix names this unit: its number, "*", or no prefix.
    bool addressedHere(const QByteArray &prefix) const;

    QString m_family;
    int m_unitId;
    QByteArray m_line;
};

} // namespace zentrel::sim
