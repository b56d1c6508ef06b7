#pragma once
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

struct SSymbolTable;

// One species as the species window lists it.
struct SChemSpecies {
    QString name;
    int inThermoData = 0;      // the thermo data base has a record for it
    int hasTransportData = 0;  // the transport data base has a line for it
    int alreadySelected = 0;   // list of all species only: it is in the selection
};

// The species window's lists, free of widgets: the selection in its order, every species of
// the thermo data base, and the sorted texts of those still available.
class RSpeciesSelection {
public:
    enum LoadResult { Loaded = 0, ThermoNotOpened = 1, TransportNotOpened = 2 };

    // Fills the lists from the document's species and the two data bases. The thermo data
    // base is read with the chemistry package's record reader, so the lists hold exactly the
    // species a compile finds. When a data base cannot be opened, both lists stay empty.
    LoadResult load(const QStringList& documentSpecies, const QString& thermoPath,
        const QString& transportPath);
    bool loaded() const { return m_loaded; }

    // "H2O" with transport data; "H2O" made 18 characters long and then "*" without;
    // a selected species missing from the thermo data base ends in "?" instead.
    static QString displayText(const SChemSpecies& species);
    QStringList selectionTexts() const;

    // The first available text that begins with the seek text in upper case, or -1 (also
    // for an empty seek text).
    int seek(const QString& text) const;
    // Moves an available entry to the end of the selection.
    void moveIn(int availableIndex);
    // Drops a selected entry; one that is in the thermo data base goes back, sorted in, to
    // the available list.
    void moveOut(int selectionIndex);
    // Exchanges a selected entry with its neighbour; false when there is none.
    bool moveUp(int selectionIndex);
    bool moveDown(int selectionIndex);

    // Stores the selection in the symbol table: names in order, the thermo flag 1 when every
    // selected species is in the thermo data base, the transport flag 1 when each has
    // transport data. An empty selection clears both flags: there is no chemistry to use.
    void store(SSymbolTable& symbols) const;

    QList<SChemSpecies> selection;
    QList<SChemSpecies> all;
    QStringList available;

private:
    void insertAvailable(const QString& text);
    bool m_loaded = false;
};

// The species names that have a line in a transport data base: the first item of every
// non-blank line (items end at a blank or a comma). False when the file cannot be opened.
bool readTransportNames(const QString& path, QSet<QString>& names);
