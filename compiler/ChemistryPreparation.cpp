#include "compiler/ChemistryPreparation.h"

#include "chemistry/RSSChem.h"
#include "chemistry/RThermoRecord.h"
#include "document/RMORVDocument.h"

#include <QFile>

#include <algorithm>
#include <map>

namespace {

void dropChemistry(RMORVDocument& doc)
{
    doc.chemistry.reset();
    doc.compiler->symbols->thermoFlag = 0;
    doc.compiler->symbols->transportFlag = 0;
}

void appendLines(QStringList& log, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        log.append(QString::fromStdString(line));
}

} // namespace

bool chemistryInput(const std::vector<RThermoDataBaseEntry>& dataBase, const QStringList& species,
                    std::vector<std::string>& input, QString& missingSpecies)
{
    std::map<std::string, const RThermoRecordHead*> records;
    for (const RThermoDataBaseEntry& e : dataBase)
        records.emplace(e.head.name, &e.head); // the first record of a name counts
    std::vector<std::string> elements;
    for (const QString& name : species) {
        const auto it = records.find(name.toStdString()); // case matters
        if (it == records.end()) {
            missingSpecies = name;
            return false;
        }
        const auto& groups = it->second->elements;
        for (size_t k = 0; k < groups.size(); ++k) {
            const RThermoElementCount& g = groups[k];
            // The fifth group counts only with a positive count, the first four with any but 0.
            const bool counts = k < 4 ? g.count != 0 : g.count > 0;
            if (!counts || g.symbol.empty())
                continue;
            if (std::find(elements.begin(), elements.end(), g.symbol) == elements.end())
                elements.push_back(g.symbol);
        }
    }
    input.clear();
    input.push_back("ELEM");
    input.insert(input.end(), elements.begin(), elements.end());
    input.push_back("END");
    input.push_back("SPEC");
    for (const QString& name : species)
        input.push_back(name.toStdString());
    input.push_back("END");
    return true;
}

SChemistryDataBases userChemistryDataBases(const QString& documentsFolder)
{
    SChemistryDataBases db;
    db.thermoPath = documentsFolder + QStringLiteral("/MORV/THERMDAT");
    db.transportPath = documentsFolder + QStringLiteral("/MORV/TRANDAT");
    db.available = QFile::exists(db.thermoPath) && QFile::exists(db.transportPath);
    return db;
}

void PrepareCProp(RMORVDocument& doc, const SChemistryDataBases& dataBases, QStringList& log)
{
    RMORVCompile& compiler = *doc.compiler;
    SSymbolTable& symbols = *compiler.symbols;
    if (symbols.speciesCount < 1 || symbols.speciesNames.isEmpty()) {
        dropChemistry(doc);
        return;
    }
    log.append(QStringLiteral("> Chemical property ..."));

    QStringList missing;
    for (const QString& path : {dataBases.thermoPath, dataBases.transportPath})
        if (!QFile::exists(path))
            missing.append(path);
    if (!dataBases.available && missing.isEmpty())
        missing = QStringList({dataBases.thermoPath, dataBases.transportPath});
    std::vector<RThermoDataBaseEntry> entries;
    if (missing.isEmpty() && !readThermoDataBase(dataBases.thermoPath.toStdString(), entries))
        missing.append(dataBases.thermoPath);
    if (!missing.isEmpty()) {
        for (const QString& path : missing)
            log.append(QStringLiteral("! ERROR...CHEMICAL DATA BASE NOT FOUND : ") + path);
        ++compiler.warningCount;
        dropChemistry(doc);
        return;
    }

    std::vector<std::string> input;
    QString missingSpecies;
    if (!chemistryInput(entries, symbols.speciesNames, input, missingSpecies)) {
        log.append(QStringLiteral("! ERROR...THERMODYNAMIC DATA NOT GIVEN FOR ") + missingSpecies);
        log.append(QStringLiteral("> Completed"));
        ++compiler.warningCount;
        dropChemistry(doc);
        return;
    }

    // The data set of an earlier compile goes before the new one is made.
    doc.chemistry.reset();
    doc.chemistry = std::make_shared<RSSChem>(1, &input, dataBases.thermoPath.toStdString(),
                                              dataBases.transportPath.toStdString(), std::string(), std::string());
    symbols.thermoFlag = 1;
    if (doc.chemistry->interpret() != 0) {
        appendLines(log, doc.chemistry->GetErrText());
        ++compiler.warningCount;
        // Without thermodynamic data there is nothing to fit either.
        symbols.thermoFlag = 0;
        symbols.transportFlag = 0;
        return;
    }
    symbols.transportFlag = 1;
    if (doc.chemistry->tranfit() != 0) {
        appendLines(log, doc.chemistry->GetErrText());
        ++compiler.warningCount;
        symbols.transportFlag = 0;
        return;
    }
    log.append(QStringLiteral("> Completed"));
}
