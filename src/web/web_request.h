// What the web read-out decides about a request before any data leaves: the
// request head read strictly from the bytes on the socket, the token check
// (from "?token=" or "Authorization: Bearer"), and the verdict of the
// screen that every connection passes before the router sees it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessar {

constexpr std::size_t kRequestHeadLimit = 8 * 1024;  // request line and headers
constexpr int kMaxHeaderLines = 64;

struct RequestHead {
  std::string method;
  std::string path;   // as sent, before any '?'
  std::string query;  // after the '?', without it
  std::string authorization;
  bool upgradeWebSocket = false;  // "Upgrade: websocket"
};

enum class HeadStatus {
  Incomplete,  // no empty line yet and still within the limit
  Complete,
  Invalid,     // not a request line and headers
  TooLarge,    // no end of the head within kRequestHeadLimit bytes
};

struct HeadScan {
  HeadStatus status = HeadStatus::Incomplete;
  RequestHead head;  // filled when Complete
};

// Reads the head at the start of `bytes` (what has arrived on a connection).
HeadScan ScanRequestHead(std::string_view bytes);

// The value of `name` in a query text, percent-decoded ('+' is a blank);
// nullopt when absent or badly encoded.
std::optional<std::string> QueryValue(std::string_view query, std::string_view name);
// The credentials of "Bearer <token>" (scheme in any case); empty otherwise.
std::string_view BearerToken(std::string_view authorization);
// Equal texts, compared in a time that depends only on `expected`'s length.
bool TokensEqual(std::string_view given, std::string_view expected);
// Without a configured token every request may read; with one, the query's
// token or the bearer credentials must equal it.
bool RequestAuthorized(std::string_view query, std::string_view authorization,
                       std::string_view token);

// The screen's verdict on a complete head: 0 lets it through to the router,
// otherwise the status to answer with before closing: 405 for anything but
// GET, 401 without the token, 404 for a WebSocket upgrade anywhere but /ws.
int ScreenRequest(const RequestHead& head, std::string_view token);

// The page with every "%TOKEN%" replaced by `token` (a token is made of
// characters that need no escaping), so that its own links carry it.
std::string FillPageToken(std::string_view page, std::string_view token);

// "Unauthorized" for 401 and so on, for the statuses the screen answers
// with; anything else is answered as 400 "Bad Request".
const char* ReasonPhrase(int status);
// A short complete response with no body worth reading, closing the
// connection: "HTTP/1.1 401 Unauthorized" and so on.
std::string RefusalResponse(int status);

}  // namespace tessar
