#include "dialogs/RSpeciesSelection.h"

#include "chemistry/RThermoRecord.h"
#include "document/RMORVCompile.h"
#include "document/RUtilities.h"

#include <QFile>
#include <QHash>
#include <algorithm>

namespace {

bool availableLess(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

bool readTransportNames(const QString& path, QSet<QString>& names)
{
    names.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (line.isEmpty())
            continue;
        int end = 0;
        while (end < line.size() && line.at(end) != u',' && !line.at(end).isSpace())
            ++end;
        names.insert(line.left(end));
    }
    return true;
}

RSpeciesSelection::LoadResult RSpeciesSelection::load(const QStringList& documentSpecies,
    const QString& thermoPath, const QString& transportPath)
{
    selection.clear();
    all.clear();
    available.clear();
    m_loaded = false;

    std::vector<RThermoDataBaseEntry> entries;
    if (!readThermoDataBase(thermoPath.toStdString(), entries))
        return ThermoNotOpened;
    QSet<QString> transportNames;
    if (!readTransportNames(transportPath, transportNames))
        return TransportNotOpened;

    // Where each name stands in the selection, so that a data base entry finds its selected
    // species without a scan of the selection.
    QHash<QString, QList<qsizetype>> selectedAt;
    for (const QString& name : documentSpecies) {
        selectedAt[name].append(selection.size());
        selection.append(SChemSpecies{name, 0, 0, 0});
    }
    for (const RThermoDataBaseEntry& entry : entries) {
        SChemSpecies species;
        species.name = QString::fromLatin1(entry.head.name.data(), qsizetype(entry.head.name.size()));
        species.inThermoData = 1;
        species.hasTransportData = transportNames.contains(species.name) ? 1 : 0;
        const auto at = selectedAt.constFind(species.name);
        if (at != selectedAt.cend()) {
            for (const qsizetype i : *at) {
                SChemSpecies& selected = selection[i];
                species.alreadySelected = 1;
                selected.inThermoData = 1;
                selected.hasTransportData = species.hasTransportData;
            }
        }
        if (!species.alreadySelected)
            available << displayText(species);
        all.append(species);
    }
    std::stable_sort(available.begin(), available.end(), availableLess);
    m_loaded = true;
    return Loaded;
}

QString RSpeciesSelection::displayText(const SChemSpecies& species)
{
    if (!species.inThermoData)
        return FixedLengthString(species.name, 18) + u'?';
    if (!species.hasTransportData)
        return FixedLengthString(species.name, 18) + u'*';
    return species.name;
}

QStringList RSpeciesSelection::selectionTexts() const
{
    QStringList texts;
    for (const SChemSpecies& species : selection)
        texts << displayText(species);
    return texts;
}

int RSpeciesSelection::seek(const QString& text) const
{
    if (text.isEmpty())
        return -1;
    const QString upper = text.toUpper();
    for (int i = 0; i < available.size(); ++i)
        if (available.at(i).startsWith(upper))
            return i;
    return -1;
}

void RSpeciesSelection::moveIn(int availableIndex)
{
    if (availableIndex < 0 || availableIndex >= available.size())
        return;
    const QString text = available.takeAt(availableIndex);
    SChemSpecies species;
    species.name = text.left(18).trimmed();
    species.inThermoData = 1;
    species.hasTransportData = text.mid(18, 1) == QLatin1String("*") ? 0 : 1;
    selection.append(species);
}

void RSpeciesSelection::moveOut(int selectionIndex)
{
    if (selectionIndex < 0 || selectionIndex >= selection.size())
        return;
    const SChemSpecies species = selection.takeAt(selectionIndex);
    if (species.inThermoData)
        insertAvailable(displayText(species));
}

bool RSpeciesSelection::moveUp(int selectionIndex)
{
    if (selectionIndex < 1 || selectionIndex >= selection.size())
        return false;
    selection.swapItemsAt(selectionIndex, selectionIndex - 1);
    return true;
}

bool RSpeciesSelection::moveDown(int selectionIndex)
{
    if (selectionIndex < 0 || selectionIndex + 1 >= selection.size())
        return false;
    selection.swapItemsAt(selectionIndex, selectionIndex + 1);
    return true;
}

void RSpeciesSelection::store(SSymbolTable& symbols) const
{
    symbols.speciesCount = int(selection.size());
    symbols.speciesNames.clear();
    symbols.thermoFlag = 1;
    symbols.transportFlag = 1;
    for (const SChemSpecies& species : selection) {
        symbols.speciesNames << species.name;
        if (!species.inThermoData)
            symbols.thermoFlag = 0;
        if (!species.hasTransportData)
            symbols.transportFlag = 0;
    }
    if (selection.isEmpty()) {
        symbols.thermoFlag = 0;
        symbols.transportFlag = 0;
    }
}

void RSpeciesSelection::insertAvailable(const QString& text)
{
    const auto at = std::upper_bound(available.begin(), available.end(), text, availableLess);
    available.insert(at - available.begin(), text);
}
