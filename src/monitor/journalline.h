#pragma once

#include "port/devicestatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// One reading as the journal keeps it: the bytes a row was written with, when they came and what the row said
// of them.
struct JournalReading
{
    QDateTime stamp;
    QByteArrayView bytes;
    // Bytes that arrived for this reading but were discarded at the receive buffer's bound.
    qsizetype dropped = 0;
    // The port is closed and the rows show this reading again.
    bool repeated = false;
    // Receive errors the device counted while these bytes came.
    ReceiveErrors errors;
    // The device's lines, when they moved since the reading before.
    std::optional<InputLines> lines;
};

// The journal's first line: the names of its fields.
QByteArray journalHeader();
// A line that is no reading, such as what a run starts with: its stamp, empty reading fields and the note.
QByteArray journalNoteLine(const QDateTime &stamp, const QString &note);
// What the device told with a reading, as the journal notes it: "ошибки: кадра +12; линии: CTS=1 …"; empty
// when it told nothing new.
QString deviceNotes(const ReceiveErrors &errors, const std::optional<InputLines> &lines);
// Stamp, byte count, the Bit-mode rendering, the Text-mode text and, for a repeat, a cut, receive errors or
// moved lines, a note;
// tab-separated. The text is UTF-8 with tab, CR, LF and the backslash written \t, \r, \n and \\, and other
// control characters and the unassigned 0x98 written \xNN, so that a reading is one line whatever its bytes.
QByteArray journalLine(const JournalReading &reading);
