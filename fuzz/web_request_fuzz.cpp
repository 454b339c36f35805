// Any bytes as the web read-out's outside input: the head of a request on a
// connection, its query, and the same bytes as the configuration file. Each
// reader answers with a verdict, never more, and what it accepts keeps its
// promises (a configuration it passes can listen safely; a head it calls
// complete has a GET-able shape).
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "web/web_config.h"
#include "web/web_request.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const HeadScan scan = ScanRequestHead(bytes);
  if (scan.status == HeadStatus::Complete) {
    Require(!scan.head.path.empty() && scan.head.path.front() == '/', "path starts with /");
    Require(bytes.find("\r\n\r\n") + 4 <= kRequestHeadLimit, "complete within the limit");
    const int verdict = ScreenRequest(scan.head, "fuzz-token");
    Require(verdict == 0 || verdict == 401 || verdict == 404 || verdict == 405, "verdict");
    if (verdict == 0) {
      Require(scan.head.method == "GET", "only GET passes");
      Require(RequestAuthorized(scan.head.query, scan.head.authorization, "fuzz-token"),
              "passes only with the token");
    }
    (void)QueryValue(scan.head.query, "token");
  } else if (scan.status == HeadStatus::TooLarge) {
    Require(size >= kRequestHeadLimit, "too large only past the limit");
  }
  const std::string response = RefusalResponse(static_cast<int>(size % 600));
  Require(response.rfind("HTTP/1.1 4", 0) == 0, "a refusal is a 4xx");

  const WebConfigResult config = ParseWebConfig(ParseIni(bytes));
  if (config.config) {
    Require(config.config->port >= 1 && config.config->port <= 65535, "port in range");
    Require(IsIpAddress(config.config->bind), "bind is an address");
    Require(!config.config->token.empty() || IsLoopbackAddress(config.config->bind),
            "beyond loopback only with a token");
    Require(FillPageToken("%TOKEN%", config.config->token) == config.config->token, "fill");
  } else {
    Require(!config.error.empty(), "a refusal says why");
  }
  return 0;
}
