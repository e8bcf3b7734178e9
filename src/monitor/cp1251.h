#pragma once

#include <QByteArrayView>
#include <QString>

// One character per byte, NUL and control characters included, so the length always equals the byte count.
// The one byte Windows-1251 leaves unassigned, 0x98, becomes U+FFFD.
QString cp1251Text(QByteArrayView bytes);
