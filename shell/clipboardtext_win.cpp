#include "shell/clipboardtext.h"

#include <QClipboard>
#include <QGuiApplication>

// On Windows the clipboard's text is read through Qt, from the copy Windows keeps.
namespace ClipboardText {

std::optional<QString> read(int maxLength)
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return std::nullopt;
    return text.left(maxLength + 1);
}

}
