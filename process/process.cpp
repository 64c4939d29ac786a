// The process at the top of the program: it answers the command line, picks the
// display, creates the two windows, runs the event loop and, at the end, leaves the
// copied text on the clipboard. The windows (picker/, about/) stand below it, and
// below them the ground: shell/, the glue to the toolkit, and settings/, the settings
// file. Each layer includes only the ones below it.
#include "process/process.h"

#include "about/about.h"
#include "picker/main.h"
#include "process/clipboardkeeper.h"
#include "process/commandline.h"
#include "process/displaychoice.h"
#include "process/ownenvironment.h"
#include "settings/settingslocation.h"
#include "shell/application.h"
#include "shell/clipboardtext.h"
#include "shell/exception.h"
#include "shell/exceptiondisplay.h"
#include "shell/quitrequest.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <optional>

// The window icon as C data: read straight from memory, with no image plugin looked for.
#include "resources/vindre.xpm"

namespace {

// --help and --version answer without a window, even where no display is.
std::optional<int> answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<CommandLine::Answer> answer =
        CommandLine::answer(arguments, SettingsLocation().shownPath());
    if (!answer)
        return std::nullopt;
    std::fwrite(answer->text.constData(), 1, answer->text.size(), stdout);
    return answer->exitCode;
}

// Qt's own texts (the colour dialog, buttons, context menus) in the program's language,
// Japanese, whatever locale the program starts in: the user's locale names no
// translation at all where LANG is unset (the "C" locale) and another language
// elsewhere, and either would leave English amid the Japanese windows. Without
// the catalogue (its package missing) Qt speaks English.
void installQtTranslations(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

} // namespace

namespace Process {

int run(int argc, char *argv[])
{
    if (ClipboardKeeper::isKeeperCommand(argc, argv))
        return ClipboardKeeper::runKeeperCommand(argc, argv);
    OwnEnvironment::adopt();
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    // Where Qt cannot connect it aborts, leaving a core file; say what is wrong instead.
    DisplayChoice display(argc, argv);
    if (!display.found()) {
        std::fputs(display.missingMessage().constData(), stderr);
        return EXIT_FAILURE;
    }

    QApplication app(display.argc(), display.argv());
    ClipboardText::setDisplay(display.display());
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Vindre"));
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

    // SIGTERM, SIGHUP, SIGINT and the session's end close the main window as a user would.
    QuitRequest quitRequest(VND_MAIN);
    VND_MAIN->show();
    app.exec();
    // Copied text stays on the clipboard after the program has ended.
    ClipboardKeeper::startIfNeeded(display.display());

    Application::destroyForm(VND_ABOUT);
    Application::destroyForm(VND_MAIN);
    return 0;
}

}
