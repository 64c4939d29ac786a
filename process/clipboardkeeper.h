#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

struct xcb_connection_t;
struct xcb_selection_request_event_t;

// Copied text outlives the program, as users expect of a clipboard. On X11 the
// text lives in its owner, so when the program ends while it owns the clipboard
// and no clipboard manager is there to take the text over, a small process of
// ours, the running program started afresh, keeps offering it on the same display
// until another program copies something or the display goes away.
class ClipboardKeeper
{
public:
    struct Answer
    {
        QByteArray type;
        QByteArray data;
    };

    explicit ClipboardKeeper(QByteArray utf8Text);
    ~ClipboardKeeper();

    ClipboardKeeper(const ClipboardKeeper &) = delete;
    ClipboardKeeper &operator=(const ClipboardKeeper &) = delete;

    // Takes the clipboard of display (an X display name; empty for $DISPLAY), unless
    // another program than formerOwner (our own window at hand-over) has copied in
    // the meantime, and answers requests until it loses it. False when the clipboard
    // could not be taken at all.
    bool serve(const QByteArray &display, std::uint32_t formerOwner);

    // The targets offered, TARGETS and TIMESTAMP included.
    static QList<QByteArray> targets();
    // The property type and bytes for one text target; nothing for a target not offered as text.
    static std::optional<Answer> answer(const QByteArray &target, const QByteArray &utf8Text);

    // Run by the program once its event loop has ended, with the application still
    // there: starts the keeper on display, the one the program used, when we own the
    // clipboard with our text and no clipboard manager takes it. Never waits for the
    // keeper. True when one started.
    static bool startIfNeeded(const QByteArray &display);

    // The keeper's own process: the program started with the internal option.
    static bool isKeeperCommand(int argc, char *argv[]);
    static int runKeeperCommand(int argc, char *argv[]);

private:
    std::uint32_t atom(const QByteArray &name) const;
    QByteArray atomName(std::uint32_t atom) const;
    std::uint32_t serverTime();
    void reply(const xcb_selection_request_event_t &request);

    QByteArray m_text;
    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_window = 0;
    std::uint32_t m_time = 0;
    QList<QByteArray> m_atomNames;
    QList<std::uint32_t> m_atoms;
};
