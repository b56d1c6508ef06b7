#pragma once
#include "document/RMessages.h"

#include <QStringList>

// Collects the messages posted while it is installed.
class RecordingSink : public RMessageSink {
public:
    RecordingSink() { setMessageSink(this); }
    ~RecordingSink() override { setMessageSink(nullptr); }
    void message(MessageKind, const QString& text) override { messages.append(text); }
    QStringList messages;
};
