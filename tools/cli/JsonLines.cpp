#include "cli/JsonLines.h"

#include <fstream>

template <class Record>
bool ReadJsonLines(const std::string& path, std::vector<Record>& records, std::string& error) {
  records.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the file";
    return false;
  }
  std::string line;
  std::size_t number = 0;
  std::vector<Record> read;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    auto where = path + ":" + std::to_string(number) + ": ";
    nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
    if (j.is_discarded()) {
      error = where + "not valid JSON";
      return false;
    }
    Record r;
    std::string why;
    if (!FromJson(j, r, why)) {
      error = where + why;
      return false;
    }
    read.push_back(std::move(r));
  }
  if (in.bad()) {
    error = path + ": read error";
    return false;
  }
  records = std::move(read);
  return true;
}

template bool ReadJsonLines(const std::string&, std::vector<CommonContact>&, std::string&);
template bool ReadJsonLines(const std::string&, std::vector<CommonEvent>&, std::string&);
template bool ReadJsonLines(const std::string&, std::vector<CommonTask>&, std::string&);
template bool ReadJsonLines(const std::string&, std::vector<CommonNote>&, std::string&);
