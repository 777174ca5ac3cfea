#pragma once
// The firmware description file reader: eight key=value header lines, then the image's Intel
// HEX lines. A description file is 8-bit text: each of its bytes is taken as one Latin-1
// character; texts are UTF-8.

#include "firmware/firmware_errors.h"
#include "firmware/firmware_header.h"

#include <istream>
#include <string>

// The value of `line` for `key`: everything after the first "=" when the text before it equals
// `key` exactly, else an empty text.
std::string getKeyValue(const std::string& line, const std::string& key);

// Reads exactly eight header lines (CR LF or LF) from `file` into `header`, each field as soon
// as its line is converted, and leaves `file` after them. It neither opens, rewinds nor closes
// the file. Throws EConvertError for a missing or non-integer value in lines 2 to 7 (the
// fields of the lines before keep their new values) and EInOutError when the stream fails
// or a line exceeds kMaxFirmwareFileSize.
void readFirmwareHeader(std::istream& file, TBl3FileHeader& header);

// Opens `fileName` (UTF-8), reads its header with readFirmwareHeader and closes it: the
// "File version" case. Throws EInOutError (cannot open, a directory, read error) or
// EConvertError; the texts are meant for the operator.
void readFirmwareHeaderFromFile(const std::string& fileName, TBl3FileHeader& header);
