#pragma once
#include <QString>

// The one place where widget-free code hands a message to the user. The program installs a
// sink that shows a modal box; morv_headless prints to stderr; tests record.
enum class MessageKind { Information, Warning, Error };

class RMessageSink {
public:
    virtual ~RMessageSink() = default;
    virtual void message(MessageKind kind, const QString& text) = 0;
};

// Prints "kind: text" lines on stderr; the default when no sink is installed.
class RStderrMessageSink : public RMessageSink {
public:
    void message(MessageKind kind, const QString& text) override;
};

// Not owned. Null restores the stderr default.
void setMessageSink(RMessageSink* sink);
RMessageSink* messageSink();

void postMessage(MessageKind kind, const QString& text);
