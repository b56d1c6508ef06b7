// The chemistry input on any bytes ("ELEM" ... "END", "SPEC" ... "END", thermo records of its
// own), interpreted against the test data bases and fitted when it interprets.
#include "fuzz/ChemistryFuzzing.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string thermo = sourceFile("tests/chemistry/data/public_therm.dat").toStdString();
    static const std::string transport = sourceFile("tests/chemistry/data/public_tran.dat").toStdString();
    const std::vector<std::string> input = fuzzLines(data, size);
    RSSChem chem(1, &input, thermo, transport, "", "");
    if (chem.interpret() == 0 && chem.tranfit() == 0)
        exerciseProperties(chem);
    return 0;
}
