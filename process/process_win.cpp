#include "process/process_p.h"

#include <string>

#include <windows.h>

namespace Process {

// Windows needs nothing of the program before Qt starts: there is one desktop, which
// Qt finds itself.
std::optional<int> beforeAll(int, char *[])
{
    return std::nullopt;
}

std::optional<int> beforeToolkit(int &, char **&)
{
    return std::nullopt;
}

void toolkitStarted()
{
}

// Qt's clipboard, ending with the application, hands the copied text over to Windows
// (OleFlushClipboard): it stays on the clipboard after the program.
void loopEnded()
{
}

// A program for the Windows subsystem has no console of its own: the answer goes
// where standard output was sent, else to the console it was started from.
void writeAnswer(const QByteArray &text)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring wide = QString::fromUtf8(text).toStdWString();
        DWORD written = 0;
        WriteConsoleW(out, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    for (qsizetype at = 0; at < text.size();) {
        DWORD written = 0;
        if (!WriteFile(out, text.constData() + at, DWORD(text.size() - at), &written, nullptr) || written == 0)
            return;
        at += written;
    }
}

// Inside the program, as Debian's qt6-translations-l10n ships them.
QString qtTranslationsFolder()
{
    return QStringLiteral(":/translations");
}

}
