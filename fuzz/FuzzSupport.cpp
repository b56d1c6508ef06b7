#include "fuzz/FuzzSupport.h"

#include "document/RMessages.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class QuietSink : public RMessageSink {
public:
    void message(MessageKind, const QString&) override {}
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

const QString& fuzzScratchFolder()
{
    static FuzzEnvironment environment;
    return environment.folder;
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
