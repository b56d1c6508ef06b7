#include "document/RMORVCompile.h"

RMORVCompile::RMORVCompile()
    : sectionLabels{QStringLiteral("assume   "), QStringLiteral("sub var. "),
                    QStringLiteral("initial  "), QStringLiteral("equation "),
                    QStringLiteral("terminate")},
      control(std::make_unique<SControlData>()),
      symbols(std::make_unique<SSymbolTable>())
{
}

RMORVCompile::~RMORVCompile() = default;
