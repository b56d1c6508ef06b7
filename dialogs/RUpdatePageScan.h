#pragma once
#include <QString>

// The setup archive links of the download page: "<a href=\"Resources/MORV3_Setup_" followed
// by a packed version number and ".zip". Returns the digits of the highest number linked
// ("" when none). Letter case is ignored; a link without ".zip" within the 100 characters
// after the path, or whose number text is no positive integer, is passed over and the scan
// goes on after it; the first of equal numbers wins.
QString GetLatestVerString(const QString& pageSource);

// A packed version number (major * 1000000 + minor * 10000 + release * 100 + build) as the
// About box writes it, "3.1.0.6", and as the update check writes it, "3.1.0(06)".
QString versionDotted(int packed);
QString versionWithBuild(int packed);

// The page and archive paths below the site address.
inline const char* const DownloadPagePath = "archive.html";
inline const char* const ReleaseNotePagePath = "MORV3_release_note.html";
QString setupArchivePath(const QString& numberText);
