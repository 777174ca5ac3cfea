#include "record/record_writer.h"

#include "record/records_file.h"

bool writeUpdateRecord(const TUpdateRecord& record, const std::string& file, std::string& error) {
    const std::string target = file.empty() ? defaultRecordsFile() : file;
    if (target.empty()) {
        error = "no records file: neither XDG_DATA_HOME nor HOME is set";
        return false;
    }
    const std::string line =
        recordJson(record).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    return appendRecord(target, line, error);
}
