#include "shell/application.h"

#include "about/about.h"
#include "picker/main.h"
#include "shell/clipboardkeeper.h"
#include "shell/commandline.h"
#include "shell/displaychoice.h"
#include "shell/exception.h"
#include "shell/exceptiondisplay.h"
#include "shell/quitrequest.h"
#include "shell/settingslocation.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <optional>

// The icon's resource is compiled into the static library; without a reference from
// the program the linker leaves it out. Outside any namespace, as the macro requires.
static void initResources()
{
    Q_INIT_RESOURCE(vindre);
}

namespace {

QString g_title;

const QString kInterfaceFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString kSubstituteFamily = QStringLiteral("IPAPGothic");

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

// Qt's own dialogs (the colour chooser, the message box buttons) in the user's language.
void installQtTranslations(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

} // namespace

namespace Application {

QString defaultTitle()
{
    return QStringLiteral("ヴィンドレ 051113");
}

QString title()
{
    return g_title;
}

void setTitle(const QString &title)
{
    g_title = title;
}

void installFont()
{
    QFont::insertSubstitution(kInterfaceFamily, kSubstituteFamily);
    QFont font(kInterfaceFamily);
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::PreferDefault);
    QApplication::setFont(font);
}

QWidget *ownerWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return VND_MAIN;
}

int run(int argc, char *argv[])
{
    if (ClipboardKeeper::isKeeperCommand(argc, argv))
        return ClipboardKeeper::runKeeperCommand(argc, argv);
    if (const std::optional<int> exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    // Where Qt cannot connect it aborts, leaving a core file; say what is wrong instead.
    DisplayChoice display(argc, argv);
    if (!display.found()) {
        std::fputs(DisplayChoice::missingMessage(), stderr);
        return EXIT_FAILURE;
    }

    QApplication app(display.argc(), display.argv());
    initResources();
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Vindre"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vindre.xpm")));
    installFont();
    installQtTranslations(app);

    try {
        setTitle(defaultTitle());
        createForm(VND_MAIN);
        createForm(VND_ABOUT);
    } catch (const Exception &e) {
        ExceptionDisplay::show(e.message());
        destroyForm(VND_ABOUT);
        destroyForm(VND_MAIN);
        return 0;
    }

    // SIGTERM, SIGHUP, SIGINT and the session's end close the main window as a user would.
    QuitRequest quitRequest(VND_MAIN);
    VND_MAIN->show();
    app.exec();
    // Copied text stays on the clipboard after the program has ended.
    ClipboardKeeper::startIfNeeded(display.display());

    destroyForm(VND_ABOUT);
    destroyForm(VND_MAIN);
    return 0;
}

}
