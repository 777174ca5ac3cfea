#pragma once
// The settings that the window hands to the update worker. Plain process-wide atomics; relaxed
// loads and stores are enough (the window writes them before it creates a worker, and the
// worker writes back only gSelectedImage).

#include "comm/uCommThread.h"

#include <atomic>
#include <cstdint>

// Before an update: -1 = search the built-in images, 0 = only the image loaded from a file.
// After the image choice: the chosen image (0..3), or -1 when none matched. Also the current
// image whose lines the catalogue hands out. Start value -1.
extern std::atomic<std::int32_t> gSelectedImage;
// Only images of the update class 0x660A are chosen while true. Start value true.
extern std::atomic<bool> gCheckClass;
// Stop with error 70 right after a successful image choice. Start value false.
extern std::atomic<bool> gReadInfoOnly;
// The update procedure supports the read-info-only stop. False in the data image of the
// program; the update subsystem's start-up initialisation (a static initialiser in
// update_settings.cpp, which runs before main) sets it to true.
extern std::atomic<bool> gReadInfoOnlyAvailable;
// 0 = normal mode, 1 = internal mode, 2 = internal mode with firmware files. Start value 0.
extern std::atomic<std::int32_t> gFileMode;
// Chooses which confirmation precedes an update. Start value false.
extern std::atomic<bool> gClearsMeasurements;
// The worker factory the window creates every update with. Start value nullptr; the program's
// start-up sets it (to createWorker<TSDCommThread>) before the window is created.
extern std::atomic<TWorkerClass> gWorkerClass;
