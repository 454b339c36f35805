#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "web/web_config.h"
#include "web/web_json.h"
#include "web/web_request.h"

namespace tessar {
namespace {

TEST(WebConfig, EveryRuleOfTheFile) {
  const struct {
    const char* text;
    const char* error;  // a part of the message; nullptr: accepted
    int port;
    const char* bind;
  } cases[] = {
      {"[http]\nport=8080\n", nullptr, 8080, "127.0.0.1"},
      {"[http]\nport=1\nbind=::1\n", nullptr, 1, "::1"},
      {"[http]\nport=65535\nbind=127.0.0.9\ntoken=\n", nullptr, 65535, "127.0.0.9"},
      {"[http]\nport=80\nbind=0.0.0.0\ntoken=s3cret-Token_1.~\n", nullptr, 80, "0.0.0.0"},
      {"[http]\nport=80\nbind=\n", nullptr, 80, "127.0.0.1"},
      {"[http]\nbind=127.0.0.1\n", "port is required", 0, ""},
      {"[http]\nport=0\n", "line 2: port must be a whole number 1..65535", 0, ""},
      {"[http]\nport=65536\n", "1..65535", 0, ""},
      {"[http]\nport=80x\n", "1..65535", 0, ""},
      {"[http]\nport=80\nprot=1\n", "line 3: unknown key \"prot\" in [http]", 0, ""},
      {"[web]\nport=80\n", "unknown key \"port\" in [web]", 0, ""},
      {"[http]\nport=80\nbind=localhost\n", "bind must be an IPv4 or IPv6 address", 0, ""},
      {"[http]\nport=80\nbind=127.0.0.256\n", "bind must be", 0, ""},
      {"[http]\nport=80\nbind=0.0.0.0\n", "set a token", 0, ""},
      {"[http]\nport=80\nbind=192.168.1.20\ntoken=\n", "reaches beyond this computer", 0, ""},
      {"[http]\nport=80\nbind=::\n", "set a token", 0, ""},
      {"[http]\nport=80\ntoken=a b\n", "token must be", 0, ""},
      {"[http]\nport=80\ntoken=a&b\n", "token must be", 0, ""},
      {"[http]\nport=80\ntoken=a\"b\n", "token must be", 0, ""},
      {"[http]\nport=80\nport=81\n", "given twice", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const WebConfigResult result = ParseWebConfig(ParseIni(c.text));
    if (c.error == nullptr) {
      ASSERT_TRUE(result.config.has_value()) << result.error;
      EXPECT_EQ(result.config->port, c.port);
      EXPECT_EQ(result.config->bind, c.bind);
    } else {
      EXPECT_FALSE(result.config.has_value());
      EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    }
  }
  EXPECT_EQ(WebConfigPathFor("/opt/lab/tessar.SET"), "/opt/lab/tessar.web");
  EXPECT_EQ(WebConfigPathFor("/opt/lab/tessview"), "/opt/lab/tessview.web");
  EXPECT_FALSE(ReadWebConfig("/nonexistent-folder/tessar.web").has_value());

  for (const char* loop : {"127.0.0.1", "127.255.0.3", "::1", "::ffff:127.0.0.1"})
    EXPECT_TRUE(IsLoopbackAddress(loop)) << loop;
  for (const char* open : {"0.0.0.0", "10.0.0.1", "::", "::ffff:10.0.0.1", "128.0.0.1", "", "x"})
    EXPECT_FALSE(IsLoopbackAddress(open)) << open;
}

TEST(WebRequest, TheScreenAnswersBeforeTheRouter) {
  const std::string token = "s3cret";
  const struct {
    std::string bytes;
    HeadStatus status;
    int verdict;  // when complete
  } cases[] = {
      {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", HeadStatus::Complete, 401},
      {"GET /?token=s3cret HTTP/1.1\r\nHost: x\r\n\r\n", HeadStatus::Complete, 0},
      {"GET /api/boards HTTP/1.1\r\nAuthorization: Bearer s3cret\r\n\r\n", HeadStatus::Complete, 0},
      {"GET /api/boards HTTP/1.1\r\nauthorization:  bearer   s3cret \r\n\r\n", HeadStatus::Complete, 0},
      {"GET /api/boards HTTP/1.1\r\nAuthorization: Basic s3cret\r\n\r\n", HeadStatus::Complete, 401},
      {"GET /?token=s3cre HTTP/1.1\r\n\r\n", HeadStatus::Complete, 401},
      {"GET /?token=s3cret%21 HTTP/1.1\r\n\r\n", HeadStatus::Complete, 401},
      {"GET /?a=1&token=s3%63ret HTTP/1.0\r\n\r\n", HeadStatus::Complete, 0},
      {"POST /api/boards?token=s3cret HTTP/1.1\r\nContent-Length: 0\r\n\r\n", HeadStatus::Complete, 405},
      {"GET /ws?token=s3cret HTTP/1.1\r\nUpgrade: websocket\r\nConnection: keep-alive, Upgrade\r\n\r\n",
       HeadStatus::Complete, 0},
      {"GET /api?token=s3cret HTTP/1.1\r\nUpgrade: WebSocket\r\nConnection: upgrade\r\n\r\n",
       HeadStatus::Complete, 404},
      {"GET /ws HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n", HeadStatus::Complete, 401},
      {"GET / HTTP/1.1\r\nHost: x\r\n", HeadStatus::Incomplete, 0},
      {"GET / HTTP/1.1\r\n" + std::string(kRequestHeadLimit, 'x'), HeadStatus::TooLarge, 0},
      {"GET / HTTP/2\r\n\r\n", HeadStatus::Invalid, 0},
      {"GET http://x/ HTTP/1.1\r\n\r\n", HeadStatus::Invalid, 0},
      {"GET  / HTTP/1.1\r\n\r\n", HeadStatus::Invalid, 0},
      {"GET / HTTP/1.1\r\nno colon\r\n\r\n", HeadStatus::Invalid, 0},
      {"GET / HTTP/1.1\r\nBad Name: 1\r\n\r\n", HeadStatus::Invalid, 0},
      {"GET / HTTP/1.1\r\nA: 1\nB: 2\r\n\r\n", HeadStatus::Invalid, 0},
      {"GET / HTTP/1.1\r\nAuthorization: Bearer x\r\nAuthorization: Bearer s3cret\r\n\r\n",
       HeadStatus::Invalid, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 80));
    const HeadScan scan = ScanRequestHead(c.bytes);
    EXPECT_EQ(scan.status, c.status);
    if (scan.status == HeadStatus::Complete) {
      EXPECT_EQ(ScreenRequest(scan.head, token), c.verdict);
    }
  }
  // without a configured token every GET passes; methods are still refused
  EXPECT_EQ(ScreenRequest(ScanRequestHead("GET /x HTTP/1.1\r\n\r\n").head, ""), 0);
  EXPECT_EQ(ScreenRequest(ScanRequestHead("PUT /x HTTP/1.1\r\n\r\n").head, ""), 405);

  EXPECT_EQ(QueryValue("a=1&token=x%20y+z", "token"), "x y z");
  EXPECT_EQ(QueryValue("tokens=1", "token"), std::nullopt);
  EXPECT_EQ(QueryValue("token=%4", "token"), std::nullopt);
  EXPECT_EQ(QueryValue("token", "token"), "");
  EXPECT_TRUE(TokensEqual("abc", "abc"));
  for (const char* other : {"", "ab", "abd", "abcd", "ABC"}) EXPECT_FALSE(TokensEqual(other, "abc"));

  EXPECT_EQ(FillPageToken("<a href=\"x?token=%TOKEN%\">%TOKEN%</a>%TOKEN", "k-1"),
            "<a href=\"x?token=k-1\">k-1</a>%TOKEN");
  EXPECT_EQ(RefusalResponse(401),
            "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Bearer\r\nContent-Type: text/plain\r\n"
            "Content-Length: 17\r\nConnection: close\r\n\r\n401 Unauthorized\n");
  EXPECT_EQ(RefusalResponse(999).substr(0, 25), "HTTP/1.1 400 Bad Request\r");
}

TEST(WebJson, BoardsHistoryAndPushes) {
  BoardSettings settings{};
  std::strcpy(settings.serialNumber, "A30001");
  std::strcpy(settings.modelName, "ORVA-2200");
  LiveRecord record = EmptyRecord(2);
  // a board not yet checked has no health; a kind-1 board's channels 1..4 have
  HealthReport health;
  health.board = 2;
  EXPECT_EQ(BoardJsonFields(record, settings, false, health),
            "\"board\":\"C\",\"time\":null,\"serial\":\"A30001\",\"model\":\"ORVA-2200\","
            "\"title\":\"\",\"unit\":\"\",\"names\":[\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"],"
            "\"values\":[null,null,null,null,null,null,null,null,null],"
            "\"alarm\":[false,false,false,false,false,false,false,false,false],\"receiving\":false,"
            "\"health\":[null,null,null,null,null,null,null,null,null]");
  for (int k = 1; k <= 4; ++k) health.checked[k] = true;
  health.state[2] = HealthState::Open;
  health.state[3] = HealthState::Stuck;
  health.state[4] = HealthState::Jump;
  health.since.fill(EncodeDateTime({2026, 12, 8, 14, 0, 1, 0}));  // null while ok
  health.time = health.since[2];
  EXPECT_EQ(HealthPushJson(health),
            "{\"type\":\"health\",\"board\":\"C\",\"time\":\"2026-12-08T14:00:01.000\","
            "\"health\":[null,\"ok\",\"open\",\"stuck\",\"jump\",null,null,null,null],"
            "\"since\":[null,null,\"2026-12-08T14:00:01.000\",\"2026-12-08T14:00:01.000\","
            "\"2026-12-08T14:00:01.000\",null,null,null,null]}");
  record.time = EncodeDateTime({2026, 12, 8, 14, 5, 32, 250});
  record.values.fill(1.5);
  record.inAlarm[0] = true;  // the reference channel has no alarm
  record.inAlarm[3] = true;
  const std::string push = RecordPushJson(record, settings, true, health);
  EXPECT_EQ(push.rfind("{\"type\":\"record\",\"board\":\"C\",\"time\":\"2026-12-08T14:05:32.250\"", 0), 0u);
  EXPECT_NE(push.find("\"alarm\":[false,false,false,true,false,false,false,false,false],"
                      "\"receiving\":true,\"health\":[null,\"ok\",\"open\",\"stuck\",\"jump\","
                      "null,null,null,null]}"), std::string::npos);
  EXPECT_EQ(AlarmPushJson(3, "[4] CH1 \"High\""),
            "{\"type\":\"alarm\",\"board\":\"D\",\"text\":\"[4] CH1 \\\"High\\\"\"}");
  EXPECT_EQ(InfoJson(true, "Tessar Ver 2.1.0"), "{\"korean\":true,\"title\":\"Tessar Ver 2.1.0\"}");

  // wall-clock seconds: 1970-01-01 is 25569 days after the day count's origin
  EXPECT_EQ(WallSeconds(25569.0), 0.0);
  EXPECT_EQ(WallSeconds(EncodeDateTime({2026, 12, 8, 14, 5, 32, 250})), 1796738732.25);

  ChartModel chart;
  std::array<double, kChartSlots> y{};
  for (int i = 0; i < kChartSlots; ++i) y[i] = i;
  y[2] = NoDataValue;
  chart.Append(1.0 / 86400.0, y);
  y[2] = -3.5;
  chart.Append(2.0 / 86400.0, y);
  const double start = 25569.0 + 10.0 / 86400.0;  // 10 s after the epoch
  EXPECT_EQ(HistoryJson(chart, true, start),
            "{\"time\":[11,12],\"series\":[[0,0],[1,1],[null,-3.5],[3,3],[4,4],[5,5],[6,6],"
            "[7,7],[8,8]]}");
  EXPECT_EQ(HistoryJson(ChartModel(), false, 0.0),
            "{\"time\":[],\"series\":[[],[],[],[],[],[],[],[],[]]}");

  FrameState frame;
  for (const auto& [missed, receiving] : {std::pair{-2, true}, {0, true}, {1, false}, {40, false}}) {
    frame.MissedTicks = missed;
    EXPECT_EQ(BoardReceiving(frame), receiving) << missed;
  }
  const struct {
    double seconds;
    int pace;
    bool receiving;
  } paces[] = {{0.0, 2, true}, {5.9, 2, true}, {6.0, 2, false}, {2.5, 0, true}, {3.0, 0, false},
               {-1.0, 2, false}};
  for (const auto& p : paces) EXPECT_EQ(PaceReceiving(p.seconds, p.pace), p.receiving) << p.seconds;
  settings.portNumber = 0;
  EXPECT_FALSE(BoardUsed(settings));
  settings.portNumber = 3;
  EXPECT_TRUE(BoardUsed(settings));
}

}  // namespace
}  // namespace tessar
