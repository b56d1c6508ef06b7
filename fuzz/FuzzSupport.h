#pragma once
// What the fuzz targets share: a scratch folder of their own, whole-file writes, and the
// source tree's fixed files that some targets read beside the fuzzed one. The first call of
// fuzzScratchFolder() also creates the application object and silences postMessage, so a
// target behaves as the program does without flooding the output.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

// The folder (with a trailing '/') the targets write their files into; removed at exit.
const QString& fuzzScratchFolder();

// Writes the bytes as the whole file at path.
void writeFuzzFile(const QString& path, const std::uint8_t* data, std::size_t size);
void writeFuzzFile(const QString& path, const std::string& text);

// A file of the source tree, e.g. "tests/solver/data/point0d.MVAT$".
QString sourceFile(const char* relativePath);
std::string readSourceFile(const char* relativePath);
