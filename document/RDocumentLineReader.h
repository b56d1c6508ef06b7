#pragma once
#include <QString>
#include <QStringList>

// The lines of a decoded document file, read one after the other. Lines end with CR LF,
// LF or CR; a terminator at the very end does not start another line.
class RDocumentLineReader {
public:
    explicit RDocumentLineReader(const QString& text);
    bool atEnd() const { return next >= lines.size(); }
    // Lines not read yet: a count in the file can ask for no more than these.
    qsizetype linesLeft() const { return lines.size() - next; }
    // Characters of the whole text, line ends excluded.
    qsizetype textSize() const { return chars; }
    // The next line; an empty string at the end.
    QString readLine() { return atEnd() ? QString() : lines[next++]; }
    // Drops the text before the next c, which may stand anywhere in a line; the line that
    // holds it is then read from c on. Without a c, everything is dropped.
    void skipUntil(QChar c);

private:
    QStringList lines;
    qsizetype next = 0;
    qsizetype chars = 0;
};
