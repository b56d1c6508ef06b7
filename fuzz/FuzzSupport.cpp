#include "fuzz/FuzzSupport.h"

#include "document/RMessages.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class QuietSink : public RMessageSink {
public:
    void message(MessageKind, const QString& text) override
    {
        ++count;
        last = text;
    }
    int count = 0;
    QString last;
};

struct FuzzEnvironment {
    FuzzEnvironment()
    {
        // The program and the tests run with an application object; the readers must see the
        // same locale set-up. Settings and user folders go to throw-away places.
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "morv_fuzz";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
        setMessageSink(&sink);
        folder = scratch.path() + QLatin1Char('/');
        if (!scratch.isValid()) {
            std::fprintf(stderr, "fuzz: no scratch folder\n");
            std::abort();
        }
    }
    std::unique_ptr<QCoreApplication> app;
    QuietSink sink;
    QTemporaryDir scratch;
    QString folder;
};

} // namespace

static FuzzEnvironment& environment()
{
    static FuzzEnvironment instance;
    return instance;
}

const QString& fuzzScratchFolder()
{
    return environment().folder;
}

int fuzzMessageCount()
{
    return environment().sink.count;
}

QString fuzzLastMessage()
{
    return environment().sink.last;
}

namespace {
const std::uint8_t* inputData = nullptr;
std::size_t inputSize = 0;

void saveToleratedInput(const std::string& kind)
{
    static const QString folder = qEnvironmentVariable("MORV_FUZZ_TOLERATED_DIR");
    static QHash<QString, int> saved;
    QString name = QString::fromStdString(kind);
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (folder.isEmpty() || !inputData || saved[name] >= 20)
        return;
    ++saved[name];
    const QByteArray bytes(reinterpret_cast<const char*>(inputData), qsizetype(inputSize));
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12));
    QFile file(folder + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(inputSize)
               + QLatin1Char('-') + hash);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
} // namespace

void fuzzSetInput(const std::uint8_t* data, std::size_t size)
{
    inputData = data;
    inputSize = size;
}

bool fuzzVerbose()
{
    static const bool verbose = !qEnvironmentVariableIsEmpty("MORV_FUZZ_VERBOSE");
    return verbose;
}

void fuzzFault(const std::string& kind, const std::string& detail)
{
    static const QStringList tolerated =
        QString::fromLocal8Bit(qgetenv("MORV_FUZZ_TOLERATE")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (tolerated.contains(QString::fromStdString(kind))) {
        std::fprintf(stderr, "fuzz: tolerated: %s: %s\n", kind.c_str(), detail.c_str());
        saveToleratedInput(kind);
        return;
    }
    std::fprintf(stderr, "fuzz: fault: %s: %s\n", kind.c_str(), detail.c_str());
    std::abort();
}

void writeFuzzFile(const QString& path, const std::uint8_t* data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

void writeFuzzFile(const QString& path, const std::string& text)
{
    writeFuzzFile(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

QString sourceFile(const char* relativePath)
{
    return QStringLiteral(MORV_SOURCE_DIR "/") + QString::fromUtf8(relativePath);
}

std::string readSourceFile(const char* relativePath)
{
    QFile file(sourceFile(relativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fuzz: cannot read %s\n", relativePath);
        std::abort();
    }
    return file.readAll().toStdString();
}

namespace {

std::chrono::milliseconds wallLimit()
{
    static const std::chrono::milliseconds limit = [] {
        const char* text = std::getenv("MORV_FUZZ_WALL_MS");
        const long ms = text && *text ? std::strtol(text, nullptr, 10) : 2000;
        return std::chrono::milliseconds(ms > 0 ? ms : 2000);
    }();
    return limit;
}

} // namespace

FuzzWallBound::FuzzWallBound(std::function<void()> expire) : expire_(std::move(expire))
{
    watcher_ = std::thread([this] {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, wallLimit(), [this] { return done_; }))
            return;
        expired_ = true;
        lock.unlock();
        std::fprintf(stderr, "fuzz: wall bound of %lld ms reached, the work was stopped\n",
                     static_cast<long long>(wallLimit().count()));
        expire_();
    });
}

FuzzWallBound::~FuzzWallBound()
{
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    wake_.notify_all();
    watcher_.join();
}

bool FuzzWallBound::expired() const
{
    std::lock_guard lock(mutex_);
    return expired_;
}
