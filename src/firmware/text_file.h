#pragma once
// Reading firmware description files: 8-bit text whose lines end with CR LF or LF.

#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Each byte is one Latin-1 character; the result is UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

// A path from a UTF-8 file name (also right on Windows, where narrow names are not UTF-8).
std::filesystem::path pathFromUtf8(const std::string& fileName);

// The next line of `file` without its LF and without one CR before it, as UTF-8; empty after
// the end of the file. Throws EInOutError when the stream is bad or the line exceeds
// kMaxFirmwareFileSize bytes.
std::string readTextLine(std::istream& file);

// The whole file as bytes. Throws EInOutError for a file that cannot be opened, a directory, a
// read error or a file larger than kMaxFirmwareFileSize.
std::string readWholeFile(const std::string& fileName);

// Opens a file for readTextLine; the same errors as readWholeFile except the size.
std::ifstream openTextFile(const std::string& fileName);

// The lines of a file's bytes, as UTF-8: a final line break makes no extra empty line, empty
// lines inside count, one CR before each LF is dropped.
std::vector<std::string> splitTextLines(std::string_view bytes);
