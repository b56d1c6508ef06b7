#pragma once
#include <QString>

#include "document/RMORVDocument.h"

// The caption of a document dialog: its title, " : " and the document file name, or
// "Untitled" for a document without a name of its own.
inline QString documentDialogCaption(const QString& title, const RMORVDocument& doc)
{
    return title + QStringLiteral(" : ")
        + (doc.named ? doc.documentFileName : QStringLiteral("Untitled"));
}
