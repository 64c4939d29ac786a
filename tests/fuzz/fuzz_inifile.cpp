// libFuzzer target for the settings-file text rules: a file of any bytes reads
// without failing and comes back unchanged from its own encoding; what is written
// reads back, changes nothing on a second round, leaves other sections alone, is
// the same whether written through one document or key by key, and is saved in the
// encoding the file came in. A section kept as a list reads back as it was written,
// whatever else the file holds.
#include "settings/inifile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>

namespace {

const char *const kKeys[] = {"X", "Y", "ColorR", "ColorG", "ColorB", "ClipTransLower"};
const int kValues[] = {199, -397, 255, 2147483647, -2147483647 - 1, 1};

bool isCode(QByteArrayView line)
{
    return line.startsWith('#');
}

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
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<IniText::Decoded> decoded = IniText::decode(file);
    if (!decoded)
        return 0;
    require(IniText::encode(decoded->encoding, decoded->text) == file);
    const QByteArray &text = decoded->text;

    IniDocument document(text);
    for (const char *key : kKeys) {
        const std::optional<QByteArray> value = document.value("Main", key);
        require(value == IniText::value(text, "Main", key));
        if (value) {
            require(value->size() <= 2047);
            (void)IniText::toInteger(*value);
        }
    }

    // Any number read prints back as decimal and reads as the same number.
    if (const std::optional<qint32> number = IniText::toInteger(text))
        require(IniText::toInteger(QByteArray::number(*number)) == number);

    const QByteArray written = writeAll(text);
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        document.setValue("Main", kKeys[i], QByteArray::number(kValues[i]));
        require(document.value("Main", kKeys[i]) == QByteArray::number(kValues[i]));
    }
    require(document.text() == written);
    for (std::size_t i = 0; i < std::size(kKeys); ++i)
        require(IniText::value(written, "Main", kKeys[i]) == QByteArray::number(kValues[i]));
    require(writeAll(written) == written);
    require(IniText::value(written, "Other", "Key") == IniText::value(text, "Other", "Key"));

    const std::vector<QByteArray> codes{"#FF8000", "#000000"};
    const std::size_t before = document.lines("History", isCode, 16).size();
    document.replaceLines("History", isCode, 16, codes);
    IniDocument listed(document.text());
    // Lines past the sixteen that were read stay, and may follow.
    const std::vector<QByteArray> after = listed.lines("History", isCode, 16);
    require(after.size() >= codes.size() && std::equal(codes.begin(), codes.end(), after.begin()));
    require(before == 16 || after == codes);
    for (std::size_t i = 0; i < std::size(kKeys); ++i)
        require(listed.value("Main", kKeys[i]) == QByteArray::number(kValues[i]));

    const std::optional<IniText::Decoded> saved = IniText::decode(IniText::encode(decoded->encoding, written));
    require(saved && saved->encoding == decoded->encoding && saved->text == written);
    return 0;
}
