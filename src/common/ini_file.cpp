#include "common/ini_file.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

namespace tessar {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The line without a comment that follows a blank (a ';' inside a value,
// e.g. in a token, stays).
std::string_view WithoutComment(std::string_view s) {
  for (std::size_t i = 1; i < s.size(); ++i) {
    if ((s[i] == ';' || s[i] == '#') && IsBlank(s[i - 1])) return s.substr(0, i);
  }
  return s;
}

std::string LineError(int line, const std::string& what) {
  return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

const IniEntry* IniText::Find(std::string_view section, std::string_view key) const {
  for (const IniEntry& e : entries) {
    if (e.section == section && e.key == key) return &e;
  }
  return nullptr;
}

IniText ParseIni(std::string_view text) {
  IniText out;
  if (text.find('\0') != std::string_view::npos) {
    out.error = "the file holds a NUL byte: not a text file";
    return out;
  }
  std::string section;
  bool haveSection = false;
  std::set<std::pair<std::string, std::string>> seen;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    line = Trim(WithoutComment(line));
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) {
        out.error = LineError(lineNumber, "a section is written \"[name]\"");
        return out;
      }
      section = std::string(Trim(line.substr(1, line.size() - 2)));
      haveSection = true;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      out.error = LineError(lineNumber, "expected key=value");
      return out;
    }
    if (!haveSection) {
      out.error = LineError(lineNumber, "a key before the first [section]");
      return out;
    }
    const std::string key(Trim(line.substr(0, eq)));
    if (key.empty()) {
      out.error = LineError(lineNumber, "a value without a key");
      return out;
    }
    if (!seen.emplace(section, key).second) {
      out.error = LineError(lineNumber, "\"" + key + "\" is given twice in [" + section + "]");
      return out;
    }
    out.entries.push_back({section, key, std::string(Trim(line.substr(eq + 1))), lineNumber});
  }
  return out;
}

std::optional<IniText> ReadIniFile(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return std::nullopt;
  IniText failed;
  if (status.type() != std::filesystem::file_type::regular) {
    failed.error = path + ": not a regular file";
    return failed;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    failed.error = path + ": cannot be read";
    return failed;
  }
  std::string text(kIniFileLimit + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kIniFileLimit) {
    failed.error = path + ": larger than " + std::to_string(kIniFileLimit / 1024) + " KiB";
    return failed;
  }
  return ParseIni(text);
}

std::string UnknownKeyMessage(const IniText& ini, std::span<const IniKey> known) {
  for (const IniEntry& e : ini.entries) {
    bool found = false;
    for (const IniKey& k : known) found = found || (e.section == k.section && e.key == k.key);
    if (!found) {
      return LineError(e.line, "unknown key \"" + e.key + "\" in [" + e.section + "]");
    }
  }
  return {};
}

bool ParseIniInteger(std::string_view text, long long min, long long max, long long& value) {
  if (text.empty()) return false;
  long long parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if (parsed < min || parsed > max) return false;
  value = parsed;
  return true;
}

}  // namespace tessar
