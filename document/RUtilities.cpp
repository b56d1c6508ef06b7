#include "document/RUtilities.h"

#include "MorvVersion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>
#include <utility>

int programVersion()
{
    return MORV_VERSION_MAJOR * 1000000 + MORV_VERSION_MINOR * 10000 + MORV_VERSION_RELEASE * 100
        + MORV_VERSION_BUILD;
}

int VersionInfo(const QString& path)
{
    if (path.isEmpty())
        return programVersion();
    const QString self = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    if (!self.isEmpty() && QFileInfo(path).canonicalFilePath() == QFileInfo(self).canonicalFilePath())
        return programVersion();
    return 99999999;
}

QString FixedLengthString(const QString& text, int length)
{
    if (length <= 0)
        return QString();
    if (text.size() >= length)
        return text.left(length);
    return text + QString(length - text.size(), QLatin1Char(' '));
}

double round45(double x, int n)
{
    const double ax = std::fabs(x);
    if (!(ax >= std::pow(10.0, 1 - n)))  // also catches NaN
        return ax == ax ? 0.0 : x;
    if (std::isinf(x))
        return x;
    // Scale so that the n significant digits sit left of the point. A negative power is applied
    // as a division by an exact power of ten, which rounds better than multiplying by 1e-k.
    const int k = (n - 1) - static_cast<int>(std::floor(std::log10(ax)));
    double r;
    if (k >= 0) {
        const double m = std::pow(10.0, k);
        const double scaled = ax * m;
        if (scaled >= 9007199254740992.0)
            return x;
        r = std::floor(scaled + 0.5) / m;
    } else {
        const double d = std::pow(10.0, -k);
        const double scaled = ax / d;
        if (scaled >= 9007199254740992.0)
            return x;
        r = std::floor(scaled + 0.5) * d;
    }
    return x > 0 ? r : -r;
}

namespace {

template <typename Less>
void heapSort(QList<int>& a, Less less)
{
    const qsizetype n = a.size();
    if (n < 2)
        return;
    auto sift = [&](qsizetype root, qsizetype end) {
        while (true) {
            qsizetype child = 2 * root + 1;
            if (child >= end)
                return;
            if (child + 1 < end && less(a[child], a[child + 1]))
                ++child;
            if (!less(a[root], a[child]))
                return;
            std::swap(a[root], a[child]);
            root = child;
        }
    };
    for (qsizetype i = n / 2 - 1; i >= 0; --i)
        sift(i, n);
    for (qsizetype end = n - 1; end > 0; --end) {
        std::swap(a[0], a[end]);
        sift(0, end);
    }
}

} // namespace

void hsort(QList<int>& index, const double* keys, double direction)
{
    heapSort(index, [&](int i, int j) { return keys[i] * direction < keys[j] * direction; });
}

void hsort(QList<int>& index, const QStringList& keys, double direction)
{
    const bool ascending = direction > 0;
    heapSort(index, [&](int i, int j) {
        const int c = QString::compare(keys[i], keys[j], Qt::CaseInsensitive);
        return ascending ? c < 0 : c > 0;
    });
}

void bsort(QList<int>& index, const double* keys, double direction)
{
    const qsizetype n = index.size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        for (qsizetype j = i + 1; j < n; ++j)
            if (keys[index[i]] * direction > keys[index[j]] * direction)
                std::swap(index[i], index[j]);
}

void gradient(const double x[3], const double y[3], const double f[3], double& gx, double& gy)
{
    const double d = (y[2] - y[0]) * (x[1] - x[0]) - (y[1] - y[0]) * (x[2] - x[0]);
    if (std::fabs(d) > 1e-15) {
        gx = -((y[2] - y[1]) * f[0] + (y[0] - y[2]) * f[1] + (y[1] - y[0]) * f[2]) / d;
        gy = -((x[1] - x[2]) * f[0] + (x[2] - x[0]) * f[1] + (x[0] - x[1]) * f[2]) / d;
    } else {
        gx = gy = 0.0;
    }
}
