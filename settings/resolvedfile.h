#pragma once

#include <QByteArray>
#include <QList>

#include <memory>
#include <optional>

#include <sys/types.h>

// A file name resolved once, the way the kernel resolves it: the real folder the file
// lies in, held open, and the file's own name in it, which is no link. Reading the
// file, keeping its owner and mode and replacing it all go through that folder, so a
// name that changes meanwhile cannot send one of them to another file than the rest.
//
// Links are followed wherever they lead, ".." in a target included, up to the
// kernel's 40, but never less safely than the kernel follows them:
// - in a folder that is sticky and writable by all (/tmp), a link is followed only
//   when it belongs to the one who follows it or to the folder's owner, whatever the
//   system's own setting for that says;
// - in any other folder, a link of another user who may write that folder (its
//   owner, or anyone where its group or all may write it) is not followed: they
//   could have put it there to send the follower's writes into the follower's own
//   files. Root's links are followed there;
// - root follows only the links root owns, and only those with a single name: a link
//   another user made, or hard-linked where root would find it, could otherwise send
//   root's writes into any file.
// Each link is looked at through one handle, opened without following it: the owner
// checked is the one of the link whose target is read.
class ResolvedFile
{
public:
    enum class Status {
        Resolved,
        // A folder on the way does not exist (yet); folder() is the last one that does.
        MissingFolder,
        // A name on the way is no folder, or cannot be entered.
        NoFolder,
        // A link on the way is not followed here, or a folder not entered.
        UntrustedLink,
        // More links than the kernel would follow, or a name that ends in a folder.
        Unresolvable,
    };

    // Whether folders missing on the way are made, one inside the other. One is made
    // only inside a folder of the user's own, readable by that user alone, so that no
    // run leaves its folders in someone else's.
    enum class Folders { Existing, Made };

    // Whose folders and links the way may pass: any, by the rules above, or only the
    // user's own and root's, for a place the environment names, which another user
    // may have set (sudo -E, su -m).
    enum class Way { Any, OwnOrRoots };

    // Links owned by anyone are followed (the rules above apart), or only
    // single-named ones of trustedLinkOwner.
    explicit ResolvedFile(const QByteArray &path, std::optional<uid_t> trustedLinkOwner = ownerTrustedHere(),
                          Folders folders = Folders::Existing, Way way = Way::Any);
    ~ResolvedFile();

    ResolvedFile(const ResolvedFile &) = delete;
    ResolvedFile &operator=(const ResolvedFile &) = delete;

    // The same file again through the folder held since this one was resolved, the
    // rest of a way that stopped at a missing folder walked now: a name changed
    // meanwhile anywhere above that folder changes nothing.
    std::unique_ptr<ResolvedFile> resumed(Folders folders) const;

    // Root trusts its own links only; everyone else follows any.
    static std::optional<uid_t> ownerTrustedHere();

    // Whether folder, resolved as a place of the user's own (Way::OwnOrRoots), is one
    // of the user's own folders, or where it does not exist yet, the last folder on
    // its way that does.
    static bool leadsIntoOwnFolder(const QByteArray &folder);

    Status status() const { return m_status; }
    bool isResolved() const { return m_status == Status::Resolved; }

    // The folder (a descriptor opened with O_PATH) and the name in it; the folder also
    // for MissingFolder, the name only when resolved.
    int folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }
    // Where the file really lies; only when resolved.
    QByteArray realPath() const;

    // Whether the folder reached belongs to the user running the program.
    bool folderIsOwn() const;

    // Whether the user running the program may keep settings in this file: it is
    // theirs and they may write it, or they may replace it there (the folder may be
    // written, the sticky bit counted, and is theirs unless the file is or the user
    // is root, whose replacement keeps the owner); with no file yet, the folder is
    // theirs and may be written. Nothing of one user is left in a folder another
    // user owns.
    bool isKeptHere() const;

private:
    ResolvedFile(std::optional<uid_t> trustedLinkOwner, Way way);
    void walk(QList<QByteArray> pending, Folders folders);
    bool startAt(const QByteArray &folderPath);
    bool isFollowed(const struct stat &link) const;
    bool isEntered(const struct stat &folder) const;
    bool makeFolder(const QByteArray &name) const;

    std::optional<uid_t> m_trustedLinkOwner;
    Way m_way = Way::Any;
    Status m_status = Status::Unresolvable;
    int m_folder = -1;
    QByteArray m_folderPath;
    QByteArray m_name;
    // The names still to walk where a folder was missing, the next one last.
    QList<QByteArray> m_pending;
    int m_links = 0;
};
