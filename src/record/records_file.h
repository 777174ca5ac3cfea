#pragma once
// The records file: one update record per line (JSON Lines), appended by every run of the
// headless updater and the desktop program. Each record is written whole with one append and
// flushed to the disk, under an exclusive lock of the file, so records of parallel processes
// never interleave; a line torn by a crash is closed before the next record, so it never
// breaks the records after it. One implementation per OS.

#include <chrono>
#include <string>

// $XDG_DATA_HOME/sdupdate/updates.jsonl (XDG_DATA_HOME defaulting to ~/.local/share); on
// Windows %LOCALAPPDATA%\sdupdate\updates.jsonl. Empty when neither the variable nor a home
// folder is known.
std::string defaultRecordsFile();

// How long an append waits for the lock of another writer, who holds it for one record: a
// program that keeps the file locked (or a hung one) makes the append fail, never wait forever.
inline constexpr std::chrono::milliseconds kRecordLockWait{10000};

// Appends `line` (one JSON object, without a line break) to `file`, creating the file and its
// folder when missing. False with the reason in `error` when it cannot be written.
bool appendRecord(const std::string& file, const std::string& line, std::string& error,
                  std::chrono::milliseconds lockWait = kRecordLockWait);
