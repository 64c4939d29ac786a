#include "color/clipformat.h"

namespace {

struct Format
{
    const char *prefix;
    const char *suffix;
};

constexpr Format kFormats[ClipFormat::Count] = {
    {"COLOR=\"", "\""},
    {"BGCOLOR=\"", "\""},
    {"TEXT=\"", "\""},
    {"LINK=\"", "\""},
    {"ALINK=\"", "\""},
    {"VLINK=\"", "\""},
    {"BORDERCOLOR=\"", "\""},
    {"BORDERCOLORDARK=\"", "\""},
    {"BORDERCOLORLIGHT=\"", "\""},
    {"\"", "\""},
    {"color: ", ";"},
    {"background-color: ", ";"},
    {"", ""},
};

} // namespace

namespace ClipFormat {

QString text(int format, const QString &code)
{
    Q_ASSERT(format >= 1 && format <= Count);
    const Format &f = kFormats[format - 1];
    return QLatin1String(f.prefix) + code + QLatin1String(f.suffix);
}

QString toLowerAscii(const QString &text)
{
    QString lowered = text;
    for (QChar &c : lowered) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return lowered;
}

}
