#include "record/update_record.h"

#include <climits>
#include <unistd.h>

std::string hostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}
