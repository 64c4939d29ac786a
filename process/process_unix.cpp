#include "process/process_p.h"

#include "process/clipboardkeeper.h"
#include "process/displaychoice.h"
#include "process/ownenvironment.h"
#include "shell/clipboardtext.h"

#include <QGuiApplication>
#include <QLibraryInfo>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The display chosen before Qt starts; Qt keeps the arguments it hands over.
std::unique_ptr<DisplayChoice> g_display;

} // namespace

namespace Process {

std::optional<int> beforeAll(int argc, char *argv[])
{
    if (ClipboardKeeper::isKeeperCommand(argc, argv))
        return ClipboardKeeper::runKeeperCommand(argc, argv);
    OwnEnvironment::adopt();
    return std::nullopt;
}

std::optional<int> beforeToolkit(int &argc, char **&argv)
{
    // Where Qt cannot connect it aborts, leaving a core file; say what is wrong instead.
    g_display = std::make_unique<DisplayChoice>(argc, argv);
    if (!g_display->found()) {
        std::fputs(g_display->missingMessage().constData(), stderr);
        return EXIT_FAILURE;
    }
    argc = g_display->argc();
    argv = g_display->argv();
    return std::nullopt;
}

void toolkitStarted()
{
    ClipboardText::setDisplay(g_display->display());
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Vindre"));
}

void loopEnded()
{
    // Copied text stays on the clipboard after the program has ended.
    ClipboardKeeper::startIfNeeded(g_display->display());
}

void writeAnswer(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, text.size(), stdout);
}

QString qtTranslationsFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

}
