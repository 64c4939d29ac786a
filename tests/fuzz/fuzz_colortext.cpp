// libFuzzer target for the clipboard's colour text: any text reads without failing;
// the case of its ASCII letters and whitespace around it change nothing; nothing
// longer than the bound is taken; a colour read is one colour or none, never both a
// colour and a reason against it; and a colour read comes back the same from every
// text the program copies of it, in every format and CSS notation.
#include "color/clipformat.h"
#include "color/colortext.h"
#include "color/cssnotation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QString toUpperAscii(QString text)
{
    for (QChar &c : text) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - ('a' - 'A'));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const ColorText::Reading reading = ColorText::interpret(text);
    const std::optional<QRgb> color = reading.color;
    require(!color || reading.reason.isEmpty());
    require(!color || text.size() <= ColorText::MaxLength);
    require(ColorText::read(ClipFormat::toLowerAscii(text)) == color);
    require(ColorText::read(toUpperAscii(text)) == color);
    if (text.size() + 3 <= ColorText::MaxLength)
        require(ColorText::read(QStringLiteral(" \n") + text + QStringLiteral("\t")) == color);
    if (!color)
        return 0;

    require(qAlpha(*color) == 255);
    const QString code = QString::asprintf("#%02X%02X%02X", qRed(*color), qGreen(*color), qBlue(*color));
    for (int format = 1; format <= ClipFormat::Count; ++format) {
        const QString copied = ClipFormat::text(format, code);
        require(ColorText::read(copied) == color);
        require(ColorText::read(ClipFormat::toLowerAscii(copied)) == color);
    }
    for (int notation = 1; notation <= CssNotation::Count; ++notation) {
        if (const std::optional<QString> copied = CssNotation::text(notation, *color))
            require(ColorText::read(*copied) == color);
    }
    return 0;
}
