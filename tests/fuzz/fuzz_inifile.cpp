// libFuzzer target for the settings-file text rules: reading never fails, and what
// is written reads back, changes nothing on a second round and leaves other
// sections alone, whatever the file held before.
#include "shell/inifile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>

namespace {

const char *const kKeys[] = {"X", "Y", "ColorR", "ColorG", "ColorB", "ClipTransLower"};
const int kValues[] = {199, -397, 255, 2147483647, -2147483647 - 1, 1};

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QByteArray writeAll(QByteArray text)
{
    for (std::size_t i = 0; i < std::size(kKeys); ++i)
        text = IniText::withValue(text, "Main", kKeys[i], QByteArray::number(kValues[i]));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));

    for (const char *key : kKeys) {
        if (const std::optional<QByteArray> value = IniText::value(text, "Main", key)) {
            require(value->size() <= 2047);
            (void)IniText::toInteger(*value);
        }
    }

    // Any number read prints back as decimal and reads as the same number.
    if (const std::optional<qint32> number = IniText::toInteger(text))
        require(IniText::toInteger(QByteArray::number(*number)) == number);

    const QByteArray written = writeAll(text);
    for (std::size_t i = 0; i < std::size(kKeys); ++i)
        require(IniText::value(written, "Main", kKeys[i]) == QByteArray::number(kValues[i]));
    require(writeAll(written) == written);
    require(IniText::value(written, "Other", "Key") == IniText::value(text, "Other", "Key"));
    return 0;
}
