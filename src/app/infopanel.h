#pragma once

#include <QString>

// Both texts break lines with CR LF and end without a break, as the information panel shows them.
QString makerBlockText();
QString termsOfUseText();
