#pragma once
// The firmware image catalogue: image 0, loaded from a description file, and the built-in
// images 1 to 3 (oldest to newest), each a header and a list of Intel HEX lines.

#include "firmware/firmware_header.h"

#include <string>
#include <vector>

// Image 0. Both live for the whole process and are never destroyed (a worker may still read
// them while the process ends). The header starts with zeros and an empty date, the list empty.
// Written by the main thread only while no worker runs.
extern TBl3FileHeader& gImage0Header;
extern std::vector<std::string>& gImage0Lines;

inline constexpr int kFwOpHeader = 0;
inline constexpr int kFwOpLastLine = 1;
inline constexpr int kFwOpLine = 2;

// The one access routine. Presets header.zel_class, .zel_platform and .zel_print to 0xFFFF,
// lastIndex to 0 and text to empty; then operation 0 copies the image's header, 1 gives its last
// line index (-1 for an empty image 0), 2 the text of line `lineIndex`. False, with only the
// presets, for an image other than 0..3 or an operation other than 0..2.
// Throws std::out_of_range for operation 2 with a line index outside the image.
bool accessFirmware(int image, int operation, int lineIndex, std::string& text, int& lastIndex,
                    TBl3FileHeader& header);

// 3.
int getBuiltInCount();
// accessFirmware operation 0, the result flag dropped.
TBl3FileHeader getFirmwareHeader(int image);
// accessFirmware operation 1: 227, 259, 207 for images 1..3, 0 for an unknown image.
int getFirmwareLastLine(int image);
// Of the current image, gSelectedImage: 0 when it is -1.
int getCurrentLastLine();
// Line `lineIndex` of the current image; empty when gSelectedImage is -1.
// Throws std::out_of_range for an index outside the current image.
std::string getCurrentLine(int lineIndex);

// The file part of the window's prepareRun: empties gImage0Lines, reads the header of
// `fileName` (UTF-8) into gImage0Header (readFirmwareHeaderFromFile), then loads every line of
// the whole file that contains no "=" into gImage0Lines, in file order, empty lines included.
// True when that worked; the caller then sets gSelectedImage to 0. False on any failure
// (cannot open, unreadable, too large, header not readable), with gImage0Lines empty and the
// header fields read before the failure kept; `errorText`, when given, receives the reason.
// Never throws.
bool loadFirmwareFile(const std::string& fileName, std::string* errorText = nullptr);
