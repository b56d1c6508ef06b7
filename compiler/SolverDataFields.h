#pragma once
#include <QByteArray>

// Field formatting of the solver data file. Every number is formatted without regard to the
// user's locale. The file is ANSI text with CR LF line ends; the engine reads it by splitting
// lines at commas and blanks, so fields that abut must never touch each other.

namespace SolverDataFields {

// The line end of the file.
inline constexpr const char* kEol = "\r\n";

// A real as "%22.14E" would write it ("INF", "NAN" for non-finite values).
QByteArray real(double value);

// An integer right-aligned in `width` columns ("%<width>d").
QByteArray integer(long long value, int width = 0);

// `text` right-aligned in `width` columns. A text that fills the whole field gets one blank
// before it, so that it never fuses with the field before it in a run of abutting fields.
QByteArray separated(const QByteArray& text, int width);

// The text of separated(real(value), 22) and of separated(integer(value, width), width), written
// into `buffer` (at least 48 chars) without temporaries; the length is returned. The grid's bulk
// of values goes through these.
int formatSeparatedReal(char* buffer, double value);
int formatSeparatedInteger(char* buffer, long long value, int width);

// A run of fields written one after another: a line ends after every `perLine`-th field and
// after the last one (finish). A run without fields writes nothing.
class ValueRun {
public:
    ValueRun(QByteArray& out, int perLine) : m_out(out), m_perLine(perLine) {}
    void add(const QByteArray& field);
    void add(const char* field, int length);
    void finish();

private:
    QByteArray& m_out;
    int m_perLine;
    int m_onLine = 0;
};

// Writes `count` reals through a ValueRun of ten per line; each real in its 22 columns.
template <typename Get>
void writeReals(QByteArray& out, long long count, Get get)
{
    ValueRun run(out, 10);
    char buffer[48];
    for (long long i = 0; i < count; ++i)
        run.add(buffer, formatSeparatedReal(buffer, get(i)));
    run.finish();
}

} // namespace SolverDataFields
