#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <map>
#include <optional>
#include <utility>
#include <vector>

// The text of a private-profile file, read once: where its sections start is found
// in one pass, the keys of a section the first time it is asked for. Writes change
// whole lines and never the text underneath, so the index stays right; text() puts
// the file together again with every untouched byte as it was.
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

    struct Section
    {
        QByteArrayView fileName; // into the text, for a section of the file
        bool own = false; // made by a write, at the end of the file
        QByteArray ownName;
        Line header;
        qsizetype bodyEnd = 0;
        bool indexed = false;
        QHash<QByteArray, Line> keys; // by lower-cased name, the first of each
        std::optional<Line> lastKey;
        std::vector<QByteArray> added; // new key lines, without their line ends
        QHash<QByteArray, qsizetype> addedKeys;
    };

    Line lineAt(qsizetype begin, qsizetype limit) const;
    Section *findSection(QByteArrayView section);
    void indexKeys(Section &section);
    QByteArrayView lineText(const Line &line) const;

    QByteArray m_text;
    std::vector<Section> m_sections; // those of the file in order, then new ones
    // Lines written over, by where they begin: where they end and their new text.
    std::map<qsizetype, std::pair<qsizetype, QByteArray>> m_rewritten;
};
