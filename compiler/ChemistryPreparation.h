#pragma once
// The chemistry preparation of a compile: the document's selected species become a chemistry
// data set (interpreted against the thermo data base, transport fitted), which the solver data
// file carries and the equations' property queries need.
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct RThermoDataBaseEntry;

class RMORVDocument;

// The two chemistry data bases of the user. `available` is the chemistry-data flag: both files
// exist.
struct SChemistryDataBases {
    bool available = false;
    QString thermoPath;
    QString transportPath;
};

// "THERMDAT" and "TRANDAT" in the user's data folder ("MORV" in the given documents folder).
SChemistryDataBases userChemistryDataBases(const QString& documentsFolder);

// The chemistry input for the species, in their order: "ELEM", the element symbols of their
// thermo records in order of first appearance (each once; a group counts with a count other
// than 0, the fifth group only with a positive count), "END", "SPEC", the species names, "END".
// False with missingSpecies set when a species has no record (names compare with case).
bool chemistryInput(const std::vector<RThermoDataBaseEntry>& dataBase, const QStringList& species,
                    std::vector<std::string>& input, QString& missingSpecies);

// Prepares the chemistry of the document's selected species, writing its lines to `log` and
// counting its warnings in the compiler object. Afterwards a set thermo flag always comes with
// the chemistry data set made by this preparation, so no solver data file carries a block that
// belongs to another document:
// - no species selected: no log line; the data set is dropped and both flags cleared;
// - a data base missing, or a selected species missing from the thermo data base: the error
//   line, one warning, the data set dropped and both flags cleared;
// - interpretation or fitting fails: the package's error lines, one warning, and the flag of
//   what failed cleared (the thermo flag takes the transport flag with it).
// Throws only what the chemistry package throws.
void PrepareCProp(RMORVDocument& doc, const SChemistryDataBases& dataBases, QStringList& log);
