#pragma once
#include <QUrl>

// The maker's web site, with a trailing "/": the address compiled in.
QUrl defaultSiteUrl();
