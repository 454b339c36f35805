// Any bytes as a service's configuration text: the reader never fails other
// than with a message, and what it accepts keeps its promises (keys inside a
// section, no key twice in a section, values without surrounding blanks).
#include <set>
#include <string_view>
#include <utility>

#include "common/ini_file.h"
#include "fuzz_support.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const IniText ini = ParseIni(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!ini.ok()) {
    Require(ini.entries.empty() || ini.error.rfind("line ", 0) == 0, "error names its line");
    return 0;
  }
  std::set<std::pair<std::string, std::string>> seen;
  for (const IniEntry& e : ini.entries) {
    Require(!e.key.empty(), "empty key accepted");
    Require(seen.emplace(e.section, e.key).second, "key twice in a section");
    Require(e.value.empty() || (e.value.front() != ' ' && e.value.back() != ' '), "value trimmed");
    Require(e.line >= 1, "line number");
  }
  return 0;
}
