#pragma once
// One text file of a run and its token readers. Plain C++ streams: the engine has no Qt.
//
// Readers cut a line at its first "/" (the rest is a comment), split the rest like a comma-text
// list (commas and blanks separate items) and convert one item per call. Writers end lines with
// CR LF; a UTF-8 file starts with the byte-order mark, an "ANSI" file (UTF-8 on this platform)
// has none.

#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Open mode of an RFile.
enum class Eio { read = 0, write = 1 };

// Encoding a run file is opened with.
enum class RFileEncoding { ansi, utf8 };

// A file that cannot be opened or written; raised by the text layer to its caller.
class RFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RFile {
    std::string name;                      // full path; set once when the engine is built
    RFileEncoding encoding = RFileEncoding::ansi;
    std::unique_ptr<std::ifstream> reader; // open for reading
    std::unique_ptr<std::ofstream> writer; // open for writing
    std::vector<std::string_view> items;   // items of the line being read, in lineBuffer
    std::size_t next = 0;                  // next unread item
    Eio mode = Eio::read;
    long lineNumber = 0;                   // lines read so far (for messages)
    std::string lineBuffer;                // the line being read, its items unquoted in place

    bool isOpen() const { return reader || writer; }
};

// Splits a line the way a comma-text list is split: items separated by a comma or by blanks,
// blanks beside a comma are no item, two commas in a row give an empty item, a trailing comma
// gives an empty item, a double-quoted item is taken whole (inner "" is one quote).
std::vector<std::string> splitCommaText(std::string_view line);
// The same without copies: quoted items are unquoted within `line`, and the items are views of
// it (valid while `line` is neither changed nor destroyed).
void splitCommaTextInPlace(std::string& line, std::vector<std::string_view>& items);

// Opens the file named by the record; an open stream is closed first. Write mode replaces the
// file (or appends when `append`); a UTF-8 file that starts empty gets the byte-order mark.
// Read mode reads bytes as they are, with no byte-order-mark detection.
// Throws RFileError when the file cannot be opened.
void StartFile(RFile& file, RFileEncoding encoding, Eio mode, bool append);
// Closes the stream and drops the items; a closed file is left alone.
void EndFile(RFile& file);
// Drops the unread items of the current line.
void DoLineFeed(RFile& file);

// Next item of the file: 0 success, 1 the item is not a number (it is consumed), 2 end of file.
int ReadOneInteger(RFile& file, int& value);
int ReadOneFloat(RFile& file, double& value);
// An integer of which the low eight bits are stored. `raw` (when given) receives the full value.
int ReadOneMCode(RFile& file, unsigned char& value, int* raw = nullptr);

// Reads the next raw line (no comment cut); false at end of file. CR of a CR LF is dropped.
bool ReadRawLine(RFile& file, std::string& line);

// Writes text; WriteLine adds CR LF. Throws RFileError when the file is not open for writing
// or the write fails.
void WriteText(RFile& file, std::string_view text);
void WriteLine(RFile& file, std::string_view text = {});
// Pushes buffered text to the file.
void FlushFile(RFile& file);

// Locale-independent number conversion of one whole item.
bool parseInteger(std::string_view item, int& value);
bool parseReal(std::string_view item, double& value);

// printf-style "%W.PE" (and "%W.Pe" with lowerCase), independent of the locale.
std::string formatE(double value, int width, int precision, bool lowerCase = false);
// A value for a run of fixed 22-column fields: "%22.14E", with one extra blank before a value
// that would fill all 22 columns, so that two neighbouring fields never fuse.
std::string formatField22(double value);
// The same appended to `out`, without a string of their own: for writers of many numbers.
// Precision at most 30.
void appendE(std::string& out, double value, int width, int precision, bool lowerCase = false);
void appendField22(std::string& out, double value);
// printf-style "%Wd".
void appendInteger(std::string& out, long long value, int width = 0);

// Collects the lines of a long listing and hands them to the file in large pieces, instead of
// one stream write per line; what is collected reaches the file at the latest with flush().
class RLineBlock {
public:
    explicit RLineBlock(RFile& file) : file_(file) {}
    // The line being built; ended with endLine().
    std::string& text() { return text_; }
    void endLine();
    // Writes what was collected and pushes it to the file (FlushFile).
    void flush();

private:
    RFile& file_;
    std::string text_;
};
