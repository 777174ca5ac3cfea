#pragma once
// A pseudo-terminal whose slave side stands in for the logger's serial port.

#include <string>

class TPtyPair {
public:
    TPtyPair();
    ~TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    int master() const { return FMaster; }
    const std::string& slavePath() const { return FSlavePath; }

private:
    int FMaster = -1;
    // Held open so that the line does not hang up whenever the port under test is closed.
    int FSlaveKeeper = -1;
    std::string FSlavePath;
};
