#include "process/process.h"

#include "about/about.h"
#include "picker/main.h"
#include "process/commandline.h"
#include "settings/settingslocation.h"
#include "shell/application.h"
#include "shell/exception.h"
#include "shell/exceptiondisplay.h"
#include "shell/quitrequest.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

#include <optional>

#include <windows.h>

// The window icon as C data: read straight from memory, with no image plugin looked for.
#include "resources/vindre.xpm"

namespace {

// A program for the Windows subsystem has no console of its own: the answer goes
// where standard output was sent, else to the console it was started from.
void writeOut(const QByteArray &utf8)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring text = QString::fromUtf8(utf8).toStdWString();
        DWORD written = 0;
        WriteConsoleW(out, text.data(), DWORD(text.size()), &written, nullptr);
        return;
    }
    for (qsizetype at = 0; at < utf8.size();) {
        DWORD written = 0;
        if (!WriteFile(out, utf8.constData() + at, DWORD(utf8.size() - at), &written, nullptr) || written == 0)
            return;
        at += written;
    }
}

std::optional<int> answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<CommandLine::Answer> answer =
        CommandLine::answer(arguments, SettingsLocation().shownPath());
    if (!answer)
        return std::nullopt;
    writeOut(answer->text);
    return answer->exitCode;
}

void installQtTranslations(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral(":/translations/qtbase_ja.qm")))
        QApplication::installTranslator(translator);
}

} // namespace

namespace Process {

int run(int argc, char *argv[])
{
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QPixmap(vindre)));
    Application::installFont();
    installQtTranslations(app);

    try {
        Application::setTitle(Application::defaultTitle());
        Application::createForm(VND_MAIN);
        Application::setMainWindow(VND_MAIN);
        Application::createForm(VND_ABOUT);
    } catch (const Exception &e) {
        ExceptionDisplay::show(e.message());
        Application::destroyForm(VND_ABOUT);
        Application::destroyForm(VND_MAIN);
        return 0;
    }

    // Logoff and shutdown close the main window as a user would.
    QuitRequest quitRequest(VND_MAIN);
    VND_MAIN->show();
    app.exec();

    Application::destroyForm(VND_ABOUT);
    Application::destroyForm(VND_MAIN);
    // Qt's clipboard, ending with the application, hands the copied text over to
    // Windows (OleFlushClipboard): it stays on the clipboard after the program.
    return 0;
}

}
