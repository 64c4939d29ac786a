// The process at the top of the program: it answers the command line, creates the two
// windows, runs the event loop and ends. The windows (picker/, about/) stand below
// it, and below them the ground: shell/, the glue to the toolkit, and settings/, the
// settings file. Each layer includes only the ones below it.
#include "process/process.h"
#include "process/process_p.h"

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
#include <QPixmap>
#include <QTranslator>

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
    Process::writeAnswer(answer->text);
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
    if (translator->load(QStringLiteral("qtbase_ja"), Process::qtTranslationsFolder()))
        QApplication::installTranslator(translator);
}

} // namespace

namespace Process {

int run(int argc, char *argv[])
{
    if (const std::optional<int> exitCode = beforeAll(argc, argv))
        return *exitCode;
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    if (const std::optional<int> exitCode = beforeToolkit(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    toolkitStarted();
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

    // Signals and the end of the session close the main window as a user would.
    QuitRequest quitRequest(VND_MAIN);
    VND_MAIN->show();
    app.exec();
    loopEnded();

    Application::destroyForm(VND_ABOUT);
    Application::destroyForm(VND_MAIN);
    return 0;
}

}
