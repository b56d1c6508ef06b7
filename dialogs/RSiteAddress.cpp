#include "dialogs/RSiteAddress.h"

QUrl defaultSiteUrl()
{
    return QUrl(QStringLiteral(MORV_SITE_URL));
}
