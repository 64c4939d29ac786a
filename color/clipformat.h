#pragma once

#include <QString>

// The thirteen ways a colour code goes to the clipboard, numbered 1..13 as in the
// menus: HTML attributes, a quoted code, two CSS declarations and the bare code.
namespace ClipFormat {

constexpr int Count = 13;

QString text(int format, const QString &code);

// A..Z become a..z; nothing else changes.
QString toLowerAscii(const QString &text);

}
