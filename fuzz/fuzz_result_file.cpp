// The result file on any bytes, loaded against a document whose shape follows the file's own
// header as far as it is readable (counts kept small), so that damaged files get past the
// document check and into the points and value blocks; a result that loads is then turned
// into its text tables with every quantity selected.
#include "fuzz/FuzzSupport.h"

#include "document/RMORVCompile.h"
#include "results/RResultHolder.h"
#include "results/RResultLineReader.h"
#include "results/RResultLoader.h"
#include "results/RResultTextOut.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr int MostQuantities = 8;

// The integer items of one line; items that are no integer read as 0.
std::array<int, 8> lineIntegers(std::string_view& rest)
{
    std::array<int, 8> items{};
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    RResultFields fields(line);
    std::string_view field;
    for (int& item : items)
        if (!fields.next(field) || !resultToInt(field, item))
            break;
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzzScratchFolder() + QStringLiteral("result.MVO3");
    writeFuzzFile(path, data, size);

    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::array<int, 8> header = lineIntegers(rest);
    RMORVCompile document;
    SControlData& c = *document.control;
    SSymbolTable& s = *document.symbols;
    c.PARMT = 1;
    c.PARMX = header[0] != 0;
    c.PARMY = header[1] != 0;
    c.spaceDimension = c.PARMX + c.PARMY;
    c.variableCount = std::clamp(header[2], 0, MostQuantities);
    c.subVariableCount = std::clamp(header[3], 0, MostQuantities);
    const std::array<int, 8> variableAttributes = lineIntegers(rest);
    const std::array<int, 8> subVariableAttributes = lineIntegers(rest);
    for (int k = 0; k < c.variableCount; ++k) {
        s.variableNames.append(QStringLiteral("v%1").arg(k + 1));
        s.variableAttributes.append(variableAttributes[std::size_t(k)]);
    }
    for (int k = 0; k < c.subVariableCount; ++k) {
        s.subVariableNames.append(QStringLiteral("s%1").arg(k + 1));
        s.subVariableAttributes.append(subVariableAttributes[std::size_t(k)]);
    }
    // As in any document: two grids exactly when some quantity has a cell attribute.
    c.twoGrid = 0;
    for (int a : s.variableAttributes + s.subVariableAttributes)
        if (a != 0)
            c.twoGrid = 1;

    RResultHolder holder;
    // A small buffer, so that the overflow path is reached by small files too.
    holder.ResultBufferSize = 4;
    if (LoadResultFile(holder, document, path) != ResultLoaded)
        return 0;
    for (int k = 1; k <= c.variableCount; ++k)
        holder.selectedVariables.append(k);
    for (int k = 1; k <= c.subVariableCount; ++k)
        holder.selectedSubVariables.append(k);
    QStringList lines;
    ResultTextOut(lines, holder, document, 6);
    return 0;
}
