#pragma once
// Helpers shared by the tests of reading version 2 and version 1.6 documents.
#include "DocumentFixtures.h"
#include "document/RMessages.h"

#include <QStringList>
#include <QTemporaryDir>
#include <utility>
#include <vector>

// Records every message while it exists; the stderr default comes back afterwards.
class RecordedMessages : public RMessageSink {
public:
    RecordedMessages() { setMessageSink(this); }
    ~RecordedMessages() override { setMessageSink(nullptr); }
    void message(MessageKind kind, const QString& text) override { seen.emplace_back(kind, text); }
    QStringList texts() const
    {
        QStringList t;
        for (const auto& m : seen)
            t << m.second;
        return t;
    }
    std::vector<std::pair<MessageKind, QString>> seen;
};

// A document file of the given name in a throw-away folder, loaded.
struct OldFileTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    int load(RMORVDocument& doc, const QByteArray& bytes, const QString& name = "old.MV3")
    {
        writeBytes(path(name), bytes);
        return doc.loadfile(path(name));
    }
};

// The bytes of a written document after its version line, which names the program version.
inline QByteArray afterVersionLine(const QByteArray& text)
{
    return text.mid(text.indexOf("\r\n"));
}
