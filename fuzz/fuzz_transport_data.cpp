// The transport data base on any bytes, read and fitted for the five species of the test thermo
// data base, as the compile's chemistry preparation does; the fits are then used.
#include "fuzz/ChemistryFuzzing.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string thermo = sourceFile("tests/chemistry/data/public_therm.dat").toStdString();
    static const std::vector<std::string> input = {"ELEM", "N", "O", "H", "AR", "END",
                                                   "SPEC", "N2", "O2", "H2O", "H2", "AR", "END"};
    const QString path = fuzzScratchFolder() + QStringLiteral("TRANDAT");
    writeFuzzFile(path, data, size);
    RSSChem chem(1, &input, thermo, path.toStdString(), "", "");
    if (chem.interpret() != 0)
        std::abort(); // the fixed input must interpret; only the transport data varies
    if (chem.tranfit() == 0)
        exerciseProperties(chem);
    return 0;
}
