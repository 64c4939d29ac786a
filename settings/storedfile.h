#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

class ResolvedFile;

// The settings file on the disk: read once, whole, and replaced whole. A save makes
// a new file beside the old one, puts the bytes on the disk and only then puts it in
// the old one's place, so whenever the writing stops the name shows either the old
// file or the new one, never half of one. The new file keeps what the old one had of
// who may read and write it.
class StoredFile
{
public:
    enum class Reading { Missing, Read, Unreadable };

    // Larger files are no settings file of ours; reading one would only fill the memory.
    static constexpr qint64 kLargestFile = 16 * 1024 * 1024;

    explicit StoredFile(const QString &fileName);
    // A name as the file system has it: bytes, which on Unix need not be UTF-8.
    explicit StoredFile(const QByteArray &localFileName);
    // On Unix, the file at the end of a way walked before, through the folder held
    // since then; shownName for messages.
    StoredFile(std::unique_ptr<ResolvedFile> file, const QString &shownName);
    ~StoredFile();

    StoredFile(const StoredFile &) = delete;
    StoredFile &operator=(const StoredFile &) = delete;

    // The full name as the user knows it, for messages.
    QString shownName() const;

    // The bytes of a plain file of at most kLargestFile; anything else is Unreadable
    // and never replaced.
    Reading read(QByteArray &bytes);

    // Puts bytes in the place of the file that was read, or makes it; false when the
    // platform refuses or the file is one the user keeps from being written.
    bool replace(const QByteArray &bytes);

private:
    // The new file's name while it is written: the file's own, a mark and random
    // letters. No one names a copy of their own like that, so a file so named that
    // nobody is writing is a leftover of a save that was killed before its end; the
    // next save removes it.
    static QByteArray temporaryName(const QByteArray &name);
    static bool isTemporaryName(QByteArrayView candidate, QByteArrayView name);

    struct Native;
    std::unique_ptr<Native> d;
};
