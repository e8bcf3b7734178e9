#pragma once

#include "portaddress.h"

#include <QString>
#include <optional>

// What a port's device is, read at each open so that a lost port is reopened on that device alone: a USB
// adapter's stable /dev/serial/by-id name (vendor, product, serial number, interface), or for a device
// without one its path; a remote port's is its name. Read from the file system under root, never by opening a
// device.
QString deviceIdentity(const PortAddress &address, const QString &root = QStringLiteral("/"));

// The name to open the device by now, or nothing while it is away. An adapter named by another name when it
// was opened may come back under a new one (ttyUSB1 for ttyUSB0); its stable name says which.
std::optional<QString> returnedDevice(const QString &identity, const QString &openedAs,
                                      const QString &root = QStringLiteral("/"));
