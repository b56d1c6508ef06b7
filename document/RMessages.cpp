#include "document/RMessages.h"

#include <atomic>
#include <cstdio>

namespace {
RStderrMessageSink stderrSink;
std::atomic<RMessageSink*> currentSink{nullptr};
}

void RStderrMessageSink::message(MessageKind kind, const QString& text)
{
    const char* label = kind == MessageKind::Error ? "error" : kind == MessageKind::Warning ? "warning" : "info";
    std::fprintf(stderr, "%s: %s\n", label, text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void setMessageSink(RMessageSink* sink) { currentSink.store(sink); }

RMessageSink* messageSink()
{
    RMessageSink* sink = currentSink.load();
    return sink ? sink : &stderrSink;
}

void postMessage(MessageKind kind, const QString& text) { messageSink()->message(kind, text); }
