// The thermo data base on any bytes: the scan that lists its species (species window, compile),
// then the compile's chemistry preparation for the first species listed: the chemistry input
// made from their records, interpreted against this data base and fitted.
#include "fuzz/ChemistryFuzzing.h"
#include "fuzz/FuzzSupport.h"

#include "chemistry/RThermoRecord.h"
#include "compiler/ChemistryPreparation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string transport = sourceFile("tests/chemistry/data/public_tran.dat").toStdString();
    const QString path = fuzzScratchFolder() + QStringLiteral("THERMDAT");
    writeFuzzFile(path, data, size);

    std::vector<RThermoDataBaseEntry> entries;
    double defaults[3] = {};
    if (!readThermoDataBase(path.toStdString(), entries, defaults))
        return 0;

    // The species window lists the names; the user picks some of them.
    QStringList species;
    for (const RThermoDataBaseEntry& e : entries) {
        const QString name = QString::fromStdString(e.head.name);
        if (!name.isEmpty() && !species.contains(name))
            species.append(name);
        if (species.size() == 4)
            break;
    }
    std::vector<std::string> input;
    QString missing;
    if (species.isEmpty() || !chemistryInput(entries, species, input, missing))
        return 0;
    RSSChem chem(1, &input, path.toStdString(), transport, "", "");
    if (chem.interpret() == 0 && chem.tranfit() == 0)
        exerciseProperties(chem);
    return 0;
}
