#pragma once

#include <QByteArray>

#include <optional>

#include <sys/types.h>

// A file name resolved once, the way the kernel resolves it: the real folder the file
// lies in, held open, and the file's own name in it, which is no link. Reading the
// file, keeping its owner and mode and replacing it all go through that folder, so a
// name that changes meanwhile cannot send one of them to another file than the rest.
//
// Links are followed wherever they lead, ".." in a target included, up to the
// kernel's 40. Root follows only the links root owns: a link another user made could
// otherwise send root's writes into any file (the kernel's rule for links in shared
// folders, here applied everywhere).
class ResolvedFile
{
public:
    enum class Status {
        Resolved,
        // A folder on the way is missing or no folder, or cannot be entered.
        NoFolder,
        // A link on the way belongs to someone whose links are not followed.
        UntrustedLink,
        // More links than the kernel would follow, or a name that ends in a folder.
        Unresolvable,
    };

    // Links owned by anyone are followed, or only those of trustedLinkOwner.
    explicit ResolvedFile(const QByteArray &path, std::optional<uid_t> trustedLinkOwner = ownerTrustedHere());
    ~ResolvedFile();

    ResolvedFile(const ResolvedFile &) = delete;
    ResolvedFile &operator=(const ResolvedFile &) = delete;

    // Root trusts its own links only; everyone else follows any.
    static std::optional<uid_t> ownerTrustedHere();

    Status status() const { return m_status; }
    bool isResolved() const { return m_status == Status::Resolved; }

    // The folder (a descriptor opened with O_PATH) and the name in it; only when resolved.
    int folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }
    // Where the file really lies; only when resolved.
    QByteArray realPath() const;

private:
    Status m_status = Status::Unresolvable;
    int m_folder = -1;
    QByteArray m_folderPath;
    QByteArray m_name;
};
