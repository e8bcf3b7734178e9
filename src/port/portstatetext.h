#pragma once

#include "backend.h"

// What the port indicator tells when asked: the device and the settings in force, or why the port is closed.
QString portStateText(bool open, const QString &device, const LineSettings &settings,
                      std::optional<SerialError> failure);
