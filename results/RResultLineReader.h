#pragma once
#include <QFile>
#include <QString>
#include <string_view>
#include <vector>

// Reads a result file line by line as bytes. A line ends at LF, CR or CR LF; the line end is
// not part of the line. The file is ANSI text whose machine-read parts are plain ASCII, so no
// decoding is needed to read its numbers.
class RResultLineReader {
public:
    explicit RResultLineReader(const QString& path);
    bool isOpen() const { return m_open; }
    // The next line, or false at the end of the file (or on a read error, see failed()).
    bool readLine(std::string_view& line);
    // False when the last line read ended with the file instead of a line end: a line that a
    // writer may not have finished.
    bool lineEnded() const { return m_lineEnded; }
    // True when the last line read was the last one in the file.
    bool atEnd();
    bool failed() const { return m_failed; }

private:
    bool fill();

    QFile m_file;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_open = false;
    bool m_eof = false;
    bool m_failed = false;
    bool m_lineEnded = true;
};

// The items of one line in the comma-text rule: runs of blanks and control characters separate
// items, and so does one comma with blanks around it; two commas in a row give an empty item
// between them and a comma at the very end an empty last item; an item that begins with a
// double quote runs to the next lone double quote. Items come one at a time, without copying.
class RResultFields {
public:
    explicit RResultFields(std::string_view line);
    // The next item, or false after the last one.
    bool next(std::string_view& field);

private:
    void skipBlanks();
    std::string_view m_line;
    std::size_t m_pos = 0;
    bool m_emptyLast = false;
};

// Whole-item conversions: an optional sign and the decimal form, nothing else around it.
bool resultToInt(std::string_view text, int& value);
bool resultToDouble(std::string_view text, double& value);

// The line without leading and trailing blanks and control characters is empty.
bool isBlankLine(std::string_view line);
