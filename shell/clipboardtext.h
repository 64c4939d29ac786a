#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The clipboard's text, read only as far as the reader will look at it. Another
// program's clipboard may hold text of any size, or an owner that never answers;
// Qt's clipboard would take the whole text into memory and wait for it as long as
// the owner keeps sending. On X11 this takes at most a few bytes per character
// wanted and gives up after two seconds. On Windows the text is Qt's, read from the
// copy Windows keeps of it.
namespace ClipboardText {

// X11: the display the program shows on (empty: $DISPLAY), set once at start-up.
void setDisplay(const QByteArray &display);

// The text, or its first maxLength + 1 characters when it is longer; nothing when
// the clipboard holds no text, or its owner does not answer in time or sends only
// part of it.
std::optional<QString> read(int maxLength);

}
