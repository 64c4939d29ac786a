#include "settings/storedfile.h"

#include <QRandomGenerator>

namespace {

const QByteArrayView kTemporaryMark(".new-");
constexpr int kTemporaryLetters = 8;
const char kTemporaryAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";

} // namespace

QByteArray StoredFile::temporaryName(const QByteArray &name)
{
    QByteArray temporary = name;
    temporary.append(kTemporaryMark);
    for (int i = 0; i < kTemporaryLetters; ++i)
        temporary += kTemporaryAlphabet[QRandomGenerator::system()->bounded(int(sizeof kTemporaryAlphabet) - 1)];
    return temporary;
}

bool StoredFile::isTemporaryName(QByteArrayView candidate, QByteArrayView name)
{
    if (candidate.size() != name.size() + kTemporaryMark.size() + kTemporaryLetters || !candidate.startsWith(name)
        || !candidate.sliced(name.size()).startsWith(kTemporaryMark))
        return false;
    for (const char c : candidate.last(kTemporaryLetters)) {
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z'))
            return false;
    }
    return true;
}
