#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The lines of a document file, read one after the other. Lines end with CR LF, LF or CR; a
// terminator at the very end does not start another line.
//
// The reader keeps the file's text as it came and where each line lies in it; a line becomes a
// string of its own only when it is read, so a large file is never held twice, once whole and
// once line by line. Text that is valid UTF-8 is kept as its bytes and each line decoded when
// read (its line ends are plain bytes that no other character contains, so each line decodes
// to what decoding the whole text would give it); other text is kept decoded.
//
// The reader shares the text it was given; it does not change it.
class RDocumentLineReader {
public:
    explicit RDocumentLineReader(const QString& text);
    // The text of `file` from byte `from` on (after a byte-order mark), which must be valid
    // UTF-8; the file's bytes are shared, not copied.
    static RDocumentLineReader fromValidUtf8(const QByteArray& file, qsizetype from);

    bool atEnd() const { return next >= lineCount(); }
    // Lines not read yet: a count in the file can ask for no more than these.
    qsizetype linesLeft() const { return lineCount() - next; }
    // Characters (UTF-16 code units) of the whole text, line ends excluded.
    qsizetype textSize() const;
    // The next line; an empty string at the end.
    QString readLine();
    // Drops the text before the next c, which may stand anywhere in a line; the line that
    // holds it is then read from c on. Without a c, everything is dropped.
    void skipUntil(QChar c);

private:
    RDocumentLineReader() = default;
    qsizetype lineCount() const { return qsizetype(starts.size()); }
    QString line(qsizetype i) const;
    // Finds the lines of the text of `size` units at `data`.
    template <class Unit>
    void findLines(const Unit* data, qsizetype size);

    QString text;     // the decoded text, when not kept as bytes
    QByteArray bytes; // the UTF-8 text, when kept as bytes
    bool utf8 = false;
    bool ascii = false;       // the bytes kept are all ASCII
    qsizetype textStart = 0;  // where the text begins in the bytes kept
    std::vector<qsizetype> starts, lengths; // each line, in units of the text kept
    qsizetype next = 0;
    mutable qsizetype chars = 0; // -1 until counted
};
