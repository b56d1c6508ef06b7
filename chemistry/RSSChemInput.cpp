// Reading the chemistry input: words, blocks of items, and the interpretation into elements and
// species.
#include "chemistry/RSSChem.h"

#include "chemistry/RChemText.h"

#include <cctype>

using namespace chemtext;

namespace {
constexpr int kOther = 1000, kSlash = 1005, kInteger = 1010, kName = 1011, kReal = 1014, kEnd = -2;

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
} // namespace

int RSSChem::PeekLetter(char& c) const
{
    if (line_ >= static_cast<int>(input_.size())) return 2;
    const std::string& l = input_[static_cast<size_t>(line_)];
    if (col_ >= static_cast<int>(l.size())) return 1;
    c = l[static_cast<size_t>(col_)];
    return 0;
}

int RSSChem::SkipWhiteSpace(char& c)
{
    for (;;) {
        int r = PeekLetter(c);
        if (r == 2) return 2;
        if (r == 1 || c == '!') {
            ++line_;
            col_ = 0;
            continue;
        }
        if (isBlankChar(c)) {
            ++col_;
            continue;
        }
        return 0;
    }
}

int RSSChem::NewLine()
{
    ++line_;
    col_ = 0;
    return line_ >= static_cast<int>(input_.size()) ? 2 : 0;
}

int RSSChem::ProceedLetter()
{
    ++col_;
    char c;
    if (PeekLetter(c) == 1) return NewLine() == 2 ? 2 : 1;
    return line_ >= static_cast<int>(input_.size()) ? 2 : 0;
}

int RSSChem::GetValueWord(int dotSeen, int inExponent)
{
    // The number starts at the current column; a sign is taken only in front of a digit or of
    // "." and a digit, which the caller has checked.
    const std::string& l = input_[static_cast<size_t>(line_)];
    size_t i = static_cast<size_t>(col_);
    size_t n = l.size();
    std::string w;
    bool dot = dotSeen != 0, exp = inExponent != 0;
    if (i < n && (l[i] == '+' || l[i] == '-')) w.push_back(l[i++]);
    while (i < n) {
        char c = l[i];
        if (isDigit(c)) {
            w.push_back(c);
            ++i;
        } else if (c == '.' && !dot && !exp) {
            dot = true;
            w.push_back(c);
            ++i;
        } else if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && !exp && i + 1 < n
                   && (isDigit(l[i + 1]) || l[i + 1] == '+' || l[i + 1] == '-')) {
            exp = true;
            w.push_back(c);
            w.push_back(l[i + 1]);
            i += 2;
        } else {
            break;
        }
    }
    word_ = w;
    wordLine_ = line_;
    col_ = static_cast<int>(i);
    return (dot || exp) ? kReal : kInteger;
}

int RSSChem::GetWord()
{
    char c;
    if (SkipWhiteSpace(c) == 2) {
        word_.clear();
        return kEnd;
    }
    wordLine_ = line_;
    const std::string& l = input_[static_cast<size_t>(line_)];
    size_t i = static_cast<size_t>(col_);
    size_t n = l.size();
    auto at = [&](size_t j) { return j < n ? l[j] : '\0'; };
    if (isLetter(c)) {
        size_t j = i;
        while (j < n && (isLetter(l[j]) || isDigit(l[j]) || l[j] == '_')) ++j;
        word_ = l.substr(i, j - i);
        col_ = static_cast<int>(j);
        return kName;
    }
    if (c == '$' && (isLetter(at(i + 1)) || isDigit(at(i + 1)))) {
        size_t j = i + 1;
        while (j < n && (isLetter(l[j]) || isDigit(l[j]))) ++j;
        word_ = l.substr(i, j - i);
        col_ = static_cast<int>(j);
        return 1009;
    }
    bool digitNext = isDigit(at(i + 1)) || (at(i + 1) == '.' && isDigit(at(i + 2)));
    if (isDigit(c) || (c == '.' && isDigit(at(i + 1))) || ((c == '+' || c == '-') && digitNext))
        return GetValueWord(0, 0);
    word_ = std::string(1, c);
    col_ = static_cast<int>(i + 1);
    switch (c) {
    case '{': return 1001;
    case '}': return 1002;
    case '(': return 1003;
    case ')': return 1004;
    case '/': return kSlash;
    case ':': return 1006;
    case '=': return 1007;
    case ',': return 1008;
    case '[': return 1012;
    case ']': return 1013;
    default: return kOther;
    }
}

int RSSChem::GetChemWord()
{
    char c;
    if (SkipWhiteSpace(c) == 2) {
        word_.clear();
        return kEnd;
    }
    wordLine_ = line_;
    const std::string& l = input_[static_cast<size_t>(line_)];
    size_t i = static_cast<size_t>(col_);
    if (c == '/') {
        word_ = "/";
        ++col_;
        return kSlash;
    }
    if (!isLetter(c)) {
        word_ = std::string(1, c);
        ++col_;
        return kOther;
    }
    size_t j = i;
    while (j < l.size() && !isBlankChar(l[j]) && l[j] != '/') ++j;
    word_ = l.substr(i, j - i);
    col_ = static_cast<int>(j);
    return kName;
}

int RSSChem::LineInput(std::string& line)
{
    if (col_ != 0) {
        ++line_;
        col_ = 0;
    }
    while (line_ < static_cast<int>(input_.size())) {
        std::string l = input_[static_cast<size_t>(line_)];
        ++line_;
        size_t bang = l.find('!');
        if (bang != std::string::npos) l.erase(bang);
        chopCR(l);
        if (!trim(l).empty()) {
            line = l;
            return 0;
        }
    }
    return 2;
}

int RSSChem::GetKeySub(int block)
{
    items_.clear();
    line_ = 0;
    col_ = 0;
    int code = GetChemWord();
    bool collecting = false;
    for (;;) {
        // Step 2: keywords; the word after a keyword goes straight to step 3.
        bool skipRestOfLine = false;
        if (code == kName) {
            std::string u = upper(word_);
            int keyBlock = 0;
            if (u == "ELEM" || u == "ELEMENTS") keyBlock = 1;
            else if (u == "SPEC" || u == "SPECIES") keyBlock = 2;
            else if (u == "THER" || u == "THERMO") keyBlock = 3;
            else if (u == "REAC" || u == "REACTIONS") keyBlock = 4;
            if (keyBlock != 0) {
                collecting = (keyBlock == block);
                code = GetChemWord();
            } else if (u == "END") {
                collecting = false;
                skipRestOfLine = true;
            }
        }
        if (!skipRestOfLine) {
            // Step 3: collect items while the block is on.
            if (code == kEnd) break;
            if (collecting) {
                if (code == kName) {
                    if (upper(word_) == "END") continue; // handled again by step 2
                    std::string item = word_;
                    code = GetChemWord();
                    if (code == kSlash) {
                        item += "/";
                        code = GetWord();
                        if (code == kInteger || code == kReal) {
                            item += word_;
                            code = GetChemWord();
                            if (code == kSlash) {
                                item += "/";
                                code = GetChemWord();
                            }
                        }
                    }
                    items_.push_back(item);
                    continue;
                }
                items_.push_back(word_);
                code = GetChemWord();
                continue;
            }
        }
        // Step 4: the next line after the word last read.
        line_ = wordLine_ + 1;
        col_ = 0;
        if (line_ >= static_cast<int>(input_.size())) break;
        code = GetChemWord();
    }
    return static_cast<int>(items_.size());
}

int RSSChem::CKCHAR(int capacity, std::string* names, double* values, int& count)
{
    int result = 0;
    auto stored = firstPositions(names, static_cast<size_t>(count > 0 ? count : 0));
    for (const std::string& item : items_) {
        if (!item.empty() && item[0] == '/') {
            errLines_.push_back("! Error...misplaced value..." + item);
            result = 1;
            continue;
        }
        size_t slash = item.find('/');
        std::string name = item.substr(0, slash);
        if (stored.count(name) != 0) {
            errLines_.push_back("? Warning...duplicate array element ignored..." + name);
            continue;
        }
        if (count >= capacity) {
            errLines_.push_back("! Error...character array size too small for  ..." + name);
            result = 1;
            continue;
        }
        names[count] = name;
        stored.emplace(name, count);
        if (slash != std::string::npos) {
            size_t second = item.find('/', slash + 1);
            std::string text = item.substr(slash + 1, second == std::string::npos
                                                          ? std::string::npos : second - slash - 1);
            double v = 0.0;
            if (parseDouble(text, v)) {
                values[count] = v;
            } else {
                errLines_.push_back("! Error...SYNTAX ERROR, OR ILLEGAL VALUE");
                result = 1;
            }
        }
        ++count;
    }
    return result;
}

int RSSChem::interpret()
{
    if (ckStatus_ >= 1) return 0;
    // A data set made without input has nothing to interpret.
    if (!hasInput_) {
        errLines_.push_back("! Error...NO ELEMENTS");
        return 1;
    }

    // Elements.
    int nItems = GetKeySub(1);
    if (nItems == 0) {
        errLines_.push_back("! Error...NO ELEMENTS");
        return 1;
    }
    elemNames_.assign(static_cast<size_t>(nItems), std::string());
    awt_.assign(static_cast<size_t>(nItems), -1.0);
    int count = 0;
    if (CKCHAR(nItems, elemNames_.data(), awt_.data(), count) != 0) {
        releaseElements();
        return 1;
    }
    mm_ = count;
    elemNames_.resize(static_cast<size_t>(mm_));
    awt_.resize(static_cast<size_t>(mm_));
    bool weightMissing = false;
    for (int m = 0; m < mm_; ++m) {
        if (awt_[m] > 0.0) continue;
        awt_[m] = CKAWTM(elemNames_[m]);
        if (!(awt_[m] > 0.0)) {
            errLines_.push_back("! Error...no atomic weight for element " + elemNames_[m]);
            weightMissing = true;
        }
    }
    if (weightMissing) {
        releaseElements();
        return 1;
    }

    // Species.
    nItems = GetKeySub(2);
    if (nItems == 0) {
        errLines_.push_back("! Error...NO SPECIES");
        releaseElements();
        return 1;
    }
    size_t n = static_cast<size_t>(nItems);
    specNames_.assign(n, std::string());
    wt_.assign(n, 0.0);
    thermoFound_.assign(n, 0);
    charge_.assign(n, 0);
    phase_.assign(n, 0);
    tLow_.assign(n, -1.0);
    tMid_.assign(n, -1.0);
    tHigh_.assign(n, -1.0);
    coef_.assign(n * 14, 0.0);
    ncf_.assign(n * static_cast<size_t>(mm_), 0);
    count = 0;
    if (CKCHAR(nItems, specNames_.data(), wt_.data(), count) != 0) {
        releaseSpecies();
        releaseElements();
        return 1;
    }
    kk_ = count;
    size_t k = static_cast<size_t>(kk_);
    specNames_.resize(k);
    wt_.resize(k);
    thermoFound_.resize(k);
    charge_.resize(k);
    phase_.resize(k);
    tLow_.resize(k);
    tMid_.resize(k);
    tHigh_.resize(k);
    coef_.resize(k * 14);
    ncf_.resize(k * static_cast<size_t>(mm_));

    // Thermodynamic records and their check.
    std::fill(thermoFound_.begin(), thermoFound_.end(), 0);
    if (!readThermoSources() || CKPRNT() == 1) {
        releaseSpecies();
        releaseElements();
        return 1;
    }

    writeLogTable();
    errLines_.push_back(" No errors found on input.");
    ckStatus_ = 1;
    makeWorkArrays();
    return 0;
}

void RSSChem::writeLogTable()
{
    logLines_.push_back(" Elements---------Atomic weight");
    for (int m = 0; m < mm_; ++m)
        logLines_.push_back(" " + fmtD(m + 1, 2) + ":" + fmtS(elemNames_[m], -16) + " "
                            + fmtF(awt_[m], 10, 5));
    logLines_.push_back("-------------------------------");
    logLines_.push_back("                                                               Composition");
    std::string head = " Species-----------Mole. weight--Phase---Charge--Low T-High T-";
    for (int m = 0; m < mm_; ++m) head += fmtS(elemNames_[m], 3);
    logLines_.push_back(head);
    std::string last;
    for (int k = 0; k < kk_; ++k) {
        const char* phaseWord = phase_[k] < 0 ? "Solid" : (phase_[k] > 0 ? "Liquid" : "Gas");
        std::string l = " " + fmtD(k + 1, 2) + ":" + fmtS(specNames_[k], -16) + " "
                        + fmtF(wt_[k], 10, 5) + "  " + fmtS(phaseWord, -8) + "    "
                        + fmtD(charge_[k], 1) + " " + fmtF(tLow_[k], 6, 0) + " "
                        + fmtF(tHigh_[k], 6, 0) + "  ";
        for (int m = 0; m < mm_; ++m) l += fmtD(ncf_[static_cast<size_t>(k * mm_ + m)], 3);
        logLines_.push_back(l);
        last = l;
    }
    logLines_.push_back(std::string(last.size(), '-'));
}
