// The chemistry block of a solver data file on any bytes, read with and without its transport
// lines as a run does, then used by the property routines.
#include "fuzz/ChemistryFuzzing.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (int withTransport : {1, 0}) {
        std::istringstream in(text);
        RSSChem chem(1, nullptr, "", "", "", "");
        if (chem.CKGlobalLoad(in, withTransport) == 0)
            exerciseProperties(chem);
    }
    return 0;
}
