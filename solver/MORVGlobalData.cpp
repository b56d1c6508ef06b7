#include "solver/MORVGlobalData.h"

#include <algorithm>

MORVGlobalData::MORVGlobalData()
{
    static const char* const labels[5] = {"assume   ", "sub var. ", "initial  ", "equation ",
                                          "terminate"};
    for (int i = 0; i < 5; ++i)
        sectionLabel[i] = labels[i];
}

MORVGlobalData::~MORVGlobalData()
{
    for (RFile* f : {&dataFile, &restartInFile, &restartOutFile, &resultFile, &logFile,
                     &parameterFile})
        EndFile(*f);
}

void MORVGlobalData::setWatchPoints(const std::vector<int>& points)
{
    watchPoints_.assign(points.begin(),
                        points.begin() + std::min<std::size_t>(points.size(), maxWatchPoints));
}

void MORVGlobalData::publishSnapshot()
{
    const int n = variableCount;
    double largest = 0;
    for (int i = 0; i < n && i < static_cast<int>(maxCorrection.size()); ++i)
        largest = std::max(largest, maxCorrection[i]);
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    snapshot_.sequence++;
    snapshot_.largestCorrection = largest;
    snapshot_.variableCount = n;
    snapshot_.watchCount = static_cast<int>(watchPoints_.size());
    snapshot_.watchValues.assign(watchPoints_.size() * static_cast<std::size_t>(std::max(n, 0)), 0.0);
    for (std::size_t w = 0; w < watchPoints_.size(); ++w) {
        const long long p = watchPoints_[w];
        if (p < 0 || p >= pointCount)
            continue;
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(p) * n + i;
            if (k < newValues.size())
                snapshot_.watchValues[w * n + i] = newValues[k];
        }
    }
}

RunSnapshot MORVGlobalData::snapshot() const
{
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    return snapshot_;
}
