#include "solver/RFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ios>

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }

// Fills file.items from the next line that holds at least one item; false at end of file.
bool fillItems(RFile& file, bool forReal)
{
    std::string& line = file.lineBuffer;
    while (ReadRawLine(file, line)) {
        const std::size_t slash = line.find('/');
        if (slash != std::string::npos)
            line.erase(slash);
        if (forReal) {
            for (char& c : line) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (c == 'D')
                    c = 'E';
            }
        }
        splitCommaTextInPlace(line, file.items);
        file.next = 0;
        if (!file.items.empty())
            return true;
    }
    return false;
}

// Shared procedure of the readers: the next item, or nullptr at end of file.
const std::string_view* nextItem(RFile& file, bool forReal)
{
    if (file.next >= file.items.size()) {
        if (!file.reader || !fillItems(file, forReal))
            return nullptr;
    }
    return &file.items[file.next++];
}

} // namespace

void splitCommaTextInPlace(std::string& line, std::vector<std::string_view>& items)
{
    // A quoted item is unquoted within the line's own storage: what is written never passes
    // what is read, so the text still to be split is left as it was.
    items.clear();
    std::size_t p = 0;
    const std::size_t n = line.size();
    char* text = line.data();
    auto at = [&](std::size_t i) { return i < n ? text[i] : '\0'; };
    while (p < n && isBlank(text[p]))
        ++p;
    while (p < n) {
        if (text[p] == '"') {
            ++p;
            const std::size_t start = p;
            std::size_t w = p;
            while (p < n) {
                if (text[p] == '"') {
                    if (at(p + 1) == '"') {
                        text[w++] = '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                text[w++] = text[p++];
            }
            items.emplace_back(text + start, w - start);
        } else {
            const std::size_t start = p;
            while (p < n && !isBlank(text[p]) && text[p] != ',' && text[p] != '\0')
                ++p;
            items.emplace_back(text + start, p - start);
        }
        while (p < n && isBlank(text[p]))
            ++p;
        if (at(p) == ',') {
            if (p + 1 >= n)
                items.emplace_back(); // a trailing comma ends with an empty item
            do
                ++p;
            while (p < n && isBlank(text[p]));
        } else if (at(p) == '\0' && p < n) {
            break; // an embedded NUL ends the text
        }
    }
}

std::vector<std::string> splitCommaText(std::string_view line)
{
    std::string copy(line);
    std::vector<std::string_view> views;
    splitCommaTextInPlace(copy, views);
    return std::vector<std::string>(views.begin(), views.end());
}

void StartFile(RFile& file, RFileEncoding encoding, Eio mode, bool append)
{
    EndFile(file);
    file.encoding = encoding;
    file.mode = mode;
    file.lineNumber = 0;
    if (mode == Eio::write) {
        auto flags = std::ios::binary | std::ios::out | (append ? std::ios::app : std::ios::trunc);
        auto out = std::make_unique<std::ofstream>(file.name, flags);
        if (!out->is_open())
            throw RFileError("cannot open " + file.name + " for writing");
        if (encoding == RFileEncoding::utf8 && out->tellp() == std::streampos(0)) {
            out->write("\xEF\xBB\xBF", 3);
            out->flush();
        }
        file.writer = std::move(out);
    } else {
        auto in = std::make_unique<std::ifstream>(file.name, std::ios::binary | std::ios::in);
        if (!in->is_open())
            throw RFileError("cannot open " + file.name + " for reading");
        file.reader = std::move(in);
    }
}

void EndFile(RFile& file)
{
    if (file.writer) {
        file.writer->flush();
        file.writer.reset();
    }
    file.reader.reset();
    file.items.clear();
    file.next = 0;
}

void DoLineFeed(RFile& file)
{
    file.items.clear();
    file.next = 0;
}

bool ReadRawLine(RFile& file, std::string& line)
{
    if (!file.reader || !std::getline(*file.reader, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++file.lineNumber;
    return true;
}

bool parseInteger(std::string_view item, int& value)
{
    if (!item.empty() && item.front() == '+')
        item.remove_prefix(1);
    if (item.empty())
        return false;
    int v = 0;
    auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), v, 10);
    if (ec != std::errc() || ptr != item.data() + item.size())
        return false;
    value = v;
    return true;
}

bool parseReal(std::string_view item, double& value)
{
    if (!item.empty() && item.front() == '+')
        item.remove_prefix(1);
    if (item.empty() || item.front() == '+')
        return false;
    double v = 0;
    auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), v,
                                     std::chars_format::general);
    if (ptr != item.data() + item.size())
        return false;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as 0, as the platform conversion does; overflow is refused below.
        v = std::strtod(std::string(item).c_str(), nullptr);
    } else if (ec != std::errc()) {
        return false;
    }
    // "inf", "nan" and a number beyond the range are no value a run can use: the reader of
    // every run file refuses them as it refuses a word.
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

int ReadOneInteger(RFile& file, int& value)
{
    const std::string_view* item = nextItem(file, false);
    if (!item)
        return 2;
    return parseInteger(*item, value) ? 0 : 1;
}

int ReadOneFloat(RFile& file, double& value)
{
    const std::string_view* item = nextItem(file, true);
    if (!item)
        return 2;
    return parseReal(*item, value) ? 0 : 1;
}

int ReadOneMCode(RFile& file, unsigned char& value, int* raw)
{
    int v = 0;
    const int r = ReadOneInteger(file, v);
    if (r != 0)
        return r;
    value = static_cast<unsigned char>(v & 0xFF);
    if (raw)
        *raw = v;
    return 0;
}

void WriteText(RFile& file, std::string_view text)
{
    if (!file.writer)
        throw RFileError("file not open for writing: " + file.name);
    file.writer->write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!*file.writer)
        throw RFileError("cannot write " + file.name);
}

void WriteLine(RFile& file, std::string_view text)
{
    WriteText(file, text);
    WriteText(file, "\r\n");
}

void FlushFile(RFile& file)
{
    if (file.writer) {
        file.writer->flush();
        if (!*file.writer)
            throw RFileError("cannot write " + file.name);
    }
}

void appendE(std::string& out, double value, int width, int precision, bool lowerCase)
{
    char buf[64];
    char* end = buf;
    if (std::isnan(value)) {
        end = std::copy_n(std::signbit(value) ? "-NAN" : "NAN", std::signbit(value) ? 4 : 3, buf);
    } else if (std::isinf(value)) {
        end = std::copy_n(value < 0 ? "-INF" : "INF", value < 0 ? 4 : 3, buf);
    } else {
        auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                                       precision);
        end = ec == std::errc() ? ptr : buf;
        // The exponent letter is the only letter a finite number has.
        for (char* c = end - 1; c > buf; --c)
            if (*c == 'e') {
                *c = 'E';
                break;
            }
    }
    if (lowerCase)
        for (char* c = buf; c < end; ++c)
            *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    const std::ptrdiff_t size = end - buf;
    if (size < width)
        out.append(static_cast<std::size_t>(width - size), ' ');
    out.append(buf, static_cast<std::size_t>(size));
}

void appendField22(std::string& out, double value)
{
    const std::size_t start = out.size();
    appendE(out, value, 22, 14);
    if (out.size() - start >= 22 && out[start] != ' ')
        out.insert(start, 1, ' ');
}

void appendInteger(std::string& out, long long value, int width)
{
    char buf[32];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec; // 32 characters hold every long long
    const std::ptrdiff_t size = ptr - buf;
    if (size < width)
        out.append(static_cast<std::size_t>(width - size), ' ');
    out.append(buf, static_cast<std::size_t>(size));
}

std::string formatE(double value, int width, int precision, bool lowerCase)
{
    std::string s;
    appendE(s, value, width, precision, lowerCase);
    return s;
}

std::string formatField22(double value)
{
    std::string s;
    appendField22(s, value);
    return s;
}

namespace {
// Collected text is handed to the stream in pieces of about this size.
constexpr std::size_t kLineBlockBytes = std::size_t(1) << 20;
} // namespace

void RLineBlock::endLine()
{
    text_ += "\r\n";
    if (text_.size() >= kLineBlockBytes) {
        WriteText(file_, text_);
        text_.clear();
    }
}

void RLineBlock::flush()
{
    if (!text_.empty()) {
        WriteText(file_, text_);
        text_.clear();
    }
    FlushFile(file_);
}
