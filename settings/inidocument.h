#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

// The text of a private-profile file, read once. Nothing is looked at before it is
// asked for: a section is found the first time it is asked for, and only the
// sections asked for are remembered; of their keys, only the first few and those
// asked for since. So whatever a file holds, its memory stays a small multiple of
// its size, and lines that cannot be the one looked for are passed over at the
// speed of a byte search. Writes change whole lines and never the text underneath,
// so what is remembered stays right; text() puts the file together again with
// every untouched byte as it was.
//
// The rules: one line a section header "[name]", a key "name=value", a comment
// starting with ";" or anything else; names match without regard to ASCII case and
// to the blanks around them; the first of two equal sections or keys counts; CR LF,
// LF and CR all end a line; a UTF-8 byte order mark before the first line is passed
// over.
class IniDocument
{
public:
    explicit IniDocument(QByteArray text = QByteArray());

    // The value with the blanks around it dropped, one pair of matching double or
    // single quotes removed, and cut to the 2,047 bytes a 2,048-byte buffer holds.
    // Nothing when the section or the key is missing.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key);

    // The key's line rewritten in place (keeping the file's spelling of the name),
    // else a new line after the section's last key, else a new section at the end.
    // New lines end in CR LF.
    void setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);

    QByteArray text() const;

private:
    struct Line
    {
        qsizetype begin = 0;
        qsizetype end = 0; // where the line end starts, or the end of the text
        qsizetype next = 0; // after the line end
    };

    // Names as the file spells them, compared as the rules compare them.
    struct FoldedHash
    {
        std::size_t operator()(QByteArrayView name) const;
    };
    struct FoldedEqual
    {
        bool operator()(QByteArrayView a, QByteArrayView b) const;
    };

    struct Section
    {
        QByteArray name; // as first asked for
        bool inFile = false;
        Line header;
        bool scanned = false;
        qsizetype bodyEnd = 0;
        std::optional<Line> lastKey;
        // The first line of each key known, by its name in the text, which never
        // changes; every key of the section when allKeysKnown.
        std::unordered_map<QByteArrayView, Line, FoldedHash, FoldedEqual> keys;
        bool allKeysKnown = false;
        std::vector<QByteArray> missing; // asked for, and in no line of the file
        bool own = false; // added at the end by a write
        QByteArray ownName;
        std::vector<QByteArray> added; // new key lines, without their line ends
        QHash<QByteArray, qsizetype> addedKeys;
    };

    Line lineAt(qsizetype begin, qsizetype limit) const;
    Line lineBefore(qsizetype next) const;
    bool namedAt(qsizetype at, QByteArrayView name) const;
    QByteArrayView lineText(const Line &line) const;
    Section &sectionNamed(QByteArrayView name);
    void scanKeys(Section &section);
    std::optional<Line> keyLine(Section &section, QByteArrayView key);

    const QByteArray m_text;
    std::vector<Section> m_sections; // in the order first asked for
    std::vector<std::size_t> m_newSections; // those a write adds, in the order added
    // Lines written over, by where they begin: where they end and their new text.
    std::map<qsizetype, std::pair<qsizetype, QByteArray>> m_rewritten;
};
