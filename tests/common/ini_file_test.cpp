#include "common/ini_file.h"

#include <gtest/gtest.h>

#include <array>

namespace tessar {
namespace {

TEST(IniFile, ReadsSectionsKeysAndComments) {
  const IniText ini = ParseIni(
      "; a comment\r\n"
      "[broker]\n"
      "  host = 127.0.0.1   ; required\n"
      "port=1883\n"
      "# another comment\n"
      "\n"
      "[publish]\n"
      "token=ab;cd#ef\n"
      "empty=\n");
  ASSERT_TRUE(ini.ok()) << ini.error;
  ASSERT_EQ(ini.entries.size(), 4u);
  EXPECT_EQ(ini.Find("broker", "host")->value, "127.0.0.1");
  EXPECT_EQ(ini.Find("broker", "host")->line, 3);
  EXPECT_EQ(ini.Find("broker", "port")->value, "1883");
  EXPECT_EQ(ini.Find("publish", "token")->value, "ab;cd#ef");  // no blank before: kept
  EXPECT_EQ(ini.Find("publish", "empty")->value, "");
  EXPECT_EQ(ini.Find("publish", "host"), nullptr);
}

TEST(IniFile, RefusesWhatDoesNotReadAsMeant) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"host=1\n", "line 1: a key before the first [section]"},
      {"[a]\nno equals sign\n", "line 2: expected key=value"},
      {"[a]\n=1\n", "line 2: a value without a key"},
      {"[a]\nk=1\n[b]\nk=2\n[a]\nk=3\n", "line 6: \"k\" is given twice in [a]"},
      {"[a\n", "line 1: a section is written \"[name]\""},
      {"[]\n", "line 1: a section is written \"[name]\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIni(c.text).error, c.error) << c.text;
  EXPECT_FALSE(ParseIni(std::string_view("[a]\nk=\0\n", 7)).ok());
}

TEST(IniFile, KnownKeysAndIntegers) {
  const std::array<IniKey, 2> known{{{"http", "port"}, {"http", "bind"}}};
  EXPECT_EQ(UnknownKeyMessage(ParseIni("[http]\nport=1\nbind=x\n"), known), "");
  EXPECT_EQ(UnknownKeyMessage(ParseIni("[http]\nport=1\nprot=2\n"), known),
            "line 3: unknown key \"prot\" in [http]");
  EXPECT_EQ(UnknownKeyMessage(ParseIni("[web]\nport=1\n"), known),
            "line 2: unknown key \"port\" in [web]");

  long long v = -1;
  EXPECT_TRUE(ParseIniInteger("65535", 1, 65535, v));
  EXPECT_EQ(v, 65535);
  for (const char* bad : {"", "0", "65536", "12x", " 1", "+1", "1.0", "99999999999999999999"})
    EXPECT_FALSE(ParseIniInteger(bad, 1, 65535, v)) << bad;
  EXPECT_EQ(v, 65535);
}

TEST(IniFile, FilesMissingTooBigOrNotRegular) {
  EXPECT_FALSE(ReadIniFile("/nonexistent-folder/x.web").has_value());
  const auto dir = ReadIniFile("/tmp");
  ASSERT_TRUE(dir.has_value());
  EXPECT_FALSE(dir->ok());
  const std::string big = testing::TempDir() + "/big.ini";
  {
    std::FILE* f = std::fopen(big.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string line = "; " + std::string(1000, 'x') + "\n";
    for (int i = 0; i < 70; ++i) std::fputs(line.c_str(), f);
    std::fclose(f);
  }
  const auto tooBig = ReadIniFile(big);
  ASSERT_TRUE(tooBig.has_value());
  EXPECT_NE(tooBig->error.find("larger than 64 KiB"), std::string::npos);
}

}  // namespace
}  // namespace tessar
