#pragma once
// Writes the record of a run to a records file: the JSON line, one append (records_file.h).

#include "record/update_record.h"

#include <string>

// False with the reason in `error`; `file` empty means the default records file.
bool writeUpdateRecord(const TUpdateRecord& record, const std::string& file, std::string& error);
