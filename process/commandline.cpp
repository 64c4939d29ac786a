#include "process/commandline.h"

#include "shell/application.h"

namespace {

QString help(const QString &settingsPath)
{
    const QString kept = settingsPath.isEmpty()
        ? QStringLiteral("nowhere: no folder for vindre.ini can be found")
        : settingsPath;
    return QStringLiteral(
               "Usage: vindre [--help | --version]\n"
               "\n"
               "A colour picker for people who write web pages by hand. Three scroll bars set\n"
               "red, green and blue; the colour goes to the clipboard as #RRGGBB or in one of\n"
               "twelve HTML and CSS forms.\n"
               "\n"
               "  -h, --help     show this help and end\n"
               "  -v, --version  show the name and version and end\n"
               "\n"
               "Other arguments are ignored, but for Qt's own options (-platform, -display,\n"
               "-style ...).\n"
               "\n"
               "Keys: F1 random colour, F2 negative, F3 colour dialog, F4 pick a colour from the\n"
               "screen, F5 copy the colour code, F6 show its contrast, Ctrl+V take a colour from\n"
               "the clipboard, F8 keep the window on top, F9 switch copying in lower case on or\n"
               "off.\n"
               "\n"
               "F4 turns the pointer into a cross with a loupe beside it: a click or Enter takes\n"
               "the pixel under it, the arrow keys move it by one screen pixel, Escape or a right\n"
               "click gives up. Ctrl+V reads #RGB, #RRGGBB, six hexadecimal digits, the CSS\n"
               "colour names and every CSS Color 4 and 5 function (rgb(), hsl(), hwb(), lab(),\n"
               "lch(), oklab(), oklch(), color(), color-mix(), relative colours, calc()), alone,\n"
               "in a declaration such as color: red !important; or a Sass or LESS variable. A\n"
               "colour outside sRGB is clipped as browsers draw it; the swatch's tooltip says so.\n"
               "\n"
               "In the menu 選択色, Alt+C then S copies the colour as rgb(), hsl(), #RGB, its\n"
               "CSS name, oklch(), oklab(), hwb() or color(display-p3 ...), each with the fewest\n"
               "decimals that read back as the colour; Alt+C then H lists the last 16 colours\n"
               "copied or taken in, to set one again. The swatch's tooltip, and F6 or Alt+C then\n"
               "K, give its contrast ratio on white and on black, marked AAA from 7:1, AA from\n"
               "4.5:1 and AA for large text from 3:1.\n"
               "\n"
               "The window's place, the colour, the lower-case option ([Main] X, Y, ColorR,\n"
               "ColorG, ColorB, ClipTransLower) and the recent colours ([History]) are kept in\n"
               "  %1\n")
               .arg(kept)
        + CommandLine::settingsRules();
}

} // namespace

namespace CommandLine {

std::optional<Answer> answer(const QStringList &arguments, const QString &settingsPath)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return Answer{(Application::defaultTitle() + QLatin1Char('\n')).toUtf8(), 0};
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return Answer{help(settingsPath).toUtf8(), 0};
    }
    return std::nullopt;
}

}
