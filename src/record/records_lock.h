#pragma once
// The wait for the records file's lock, shared by the files of both systems.

#include <chrono>
#include <string>

// How often a writer looks again whether the lock is free.
inline constexpr std::chrono::milliseconds kLockRetryPause{20};

// The reason an append gives when another writer kept the lock for all of `waited`.
inline std::string lockHeldText(const std::string& file, std::chrono::milliseconds waited) {
    const long long tenths = (waited.count() + 50) / 100;
    return "cannot lock " + file + ": another program has held it for " +
           std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
           " s; the record was not written";
}
