#include "web/web_request.h"

#include <algorithm>
#include <cctype>

namespace tessar {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsTokenChar(char c) {  // HTTP token characters (method and header names)
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsTargetChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > 0x20 && u < 0x7F;
}

// Whether a comma-separated header value lists `word` (in any case).
bool ListsWord(std::string_view value, std::string_view word) {
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    if (EqualsNoCase(TrimBlanks(value.substr(0, comma)), word)) return true;
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseRequestLine(std::string_view line, RequestHead& head) {
  const std::size_t sp1 = line.find(' ');
  if (sp1 == std::string_view::npos || sp1 == 0) return false;
  const std::size_t sp2 = line.find(' ', sp1 + 1);
  if (sp2 == std::string_view::npos || sp2 == sp1 + 1) return false;
  const std::string_view method = line.substr(0, sp1);
  const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
  const std::string_view version = line.substr(sp2 + 1);
  if (!std::all_of(method.begin(), method.end(), IsTokenChar)) return false;
  if (target.front() != '/' || !std::all_of(target.begin(), target.end(), IsTargetChar))
    return false;
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
  head.method = method;
  const std::size_t question = target.find('?');
  head.path = target.substr(0, question);
  if (question != std::string_view::npos) head.query = target.substr(question + 1);
  return true;
}

}  // namespace

HeadScan ScanRequestHead(std::string_view bytes) {
  HeadScan scan;
  const std::size_t end = bytes.find("\r\n\r\n");
  if (end == std::string_view::npos || end + 4 > kRequestHeadLimit) {
    if (bytes.size() >= kRequestHeadLimit) scan.status = HeadStatus::TooLarge;
    return scan;
  }
  std::string_view rest = bytes.substr(0, end + 2);  // every line ends with CR LF
  scan.status = HeadStatus::Invalid;
  bool first = true;
  bool upgradeHeader = false;
  bool connectionUpgrade = false;
  int lines = 0;
  while (!rest.empty()) {
    const std::size_t eol = rest.find("\r\n");
    const std::string_view line = rest.substr(0, eol);
    rest.remove_prefix(eol + 2);
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return scan;
    if (first) {
      if (!ParseRequestLine(line, scan.head)) return scan;
      first = false;
      continue;
    }
    if (++lines > kMaxHeaderLines) return scan;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return scan;
    const std::string_view name = line.substr(0, colon);
    if (!std::all_of(name.begin(), name.end(), IsTokenChar)) return scan;
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (EqualsNoCase(name, "authorization")) {
      if (!scan.head.authorization.empty()) return scan;  // two credentials: which one?
      scan.head.authorization = value;
    } else if (EqualsNoCase(name, "upgrade")) {
      upgradeHeader = upgradeHeader || ListsWord(value, "websocket");
    } else if (EqualsNoCase(name, "connection")) {
      connectionUpgrade = connectionUpgrade || ListsWord(value, "upgrade");
    }
  }
  scan.head.upgradeWebSocket = upgradeHeader && connectionUpgrade;
  scan.status = HeadStatus::Complete;
  return scan;
}

std::optional<std::string> QueryValue(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query.remove_prefix(amp == std::string_view::npos ? query.size() : amp + 1);
    const std::size_t eq = pair.find('=');
    if (pair.substr(0, eq) != name) continue;
    const std::string_view encoded = eq == std::string_view::npos ? "" : pair.substr(eq + 1);
    std::string value;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
      if (encoded[i] == '+') {
        value += ' ';
      } else if (encoded[i] == '%') {
        if (i + 2 >= encoded.size()) return std::nullopt;
        const int hi = HexDigit(encoded[i + 1]);
        const int lo = HexDigit(encoded[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        value += static_cast<char>(hi * 16 + lo);
        i += 2;
      } else {
        value += encoded[i];
      }
    }
    return value;
  }
  return std::nullopt;
}

std::string_view BearerToken(std::string_view authorization) {
  authorization = TrimBlanks(authorization);
  if (authorization.size() < 7 || !EqualsNoCase(authorization.substr(0, 7), "bearer ")) return {};
  return TrimBlanks(authorization.substr(7));
}

bool TokensEqual(std::string_view given, std::string_view expected) {
  unsigned difference = given.size() == expected.size() ? 0u : 1u;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const char g = i < given.size() ? given[i] : '\0';
    difference |= static_cast<unsigned char>(g ^ expected[i]);
  }
  return difference == 0;
}

bool RequestAuthorized(std::string_view query, std::string_view authorization,
                       std::string_view token) {
  if (token.empty()) return true;
  const std::string_view bearer = BearerToken(authorization);
  if (!bearer.empty() && TokensEqual(bearer, token)) return true;
  const std::optional<std::string> given = QueryValue(query, "token");
  return given && TokensEqual(*given, token);
}

int ScreenRequest(const RequestHead& head, std::string_view token) {
  if (head.method != "GET") return 405;
  if (!RequestAuthorized(head.query, head.authorization, token)) return 401;
  if (head.upgradeWebSocket && head.path != "/ws") return 404;
  return 0;
}

std::string FillPageToken(std::string_view page, std::string_view token) {
  constexpr std::string_view kMark = "%TOKEN%";
  std::string out;
  for (std::size_t at; (at = page.find(kMark)) != std::string_view::npos;) {
    out += page.substr(0, at);
    out += token;
    page.remove_prefix(at + kMark.size());
  }
  out += page;
  return out;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    default: return "Bad Request";
  }
}

std::string RefusalResponse(int status) {
  if (status != 401 && status != 404 && status != 405 && status != 431) status = 400;
  const char* extra = status == 401 ? "WWW-Authenticate: Bearer\r\n"
                      : status == 405 ? "Allow: GET\r\n"
                                      : "";
  const std::string line = std::to_string(status) + ' ' + ReasonPhrase(status);
  return "HTTP/1.1 " + line + "\r\n" + extra + "Content-Type: text/plain\r\nContent-Length: " +
         std::to_string(line.size() + 1) + "\r\nConnection: close\r\n\r\n" + line + '\n';
}

}  // namespace tessar
