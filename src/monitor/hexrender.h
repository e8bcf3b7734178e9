#pragma once

#include <QByteArrayView>
#include <QString>

// Each byte becomes a space and two uppercase hex digits, so the result is exactly three times as long.
QString hexRendering(QByteArrayView bytes);
