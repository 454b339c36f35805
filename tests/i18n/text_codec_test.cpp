#include <gtest/gtest.h>

#include <cstring>

#include "i18n/text_codec.h"
#include "settings/board_settings.h"

using namespace tessar;

TEST(TextCodec, KoreanRoundTripsThroughCp949) {
  const QString korean = QString::fromUtf8("통신 포트");
  const QByteArray bytes = ToCp949(korean);
  EXPECT_EQ(bytes.size(), 9);  // four double-byte syllables and a blank
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xC5);  // 통 = C5 EB in CP949
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xEB);
  EXPECT_EQ(FromCp949(std::string_view(bytes.constData(), bytes.size())), korean);

  char field[21];
  std::memset(field, 0, sizeof field);
  EXPECT_TRUE(WriteField(field, korean));
  EXPECT_EQ(ReadField(field), korean);
}

TEST(TextCodec, ReadingIsBoundedByTheFieldWithoutTerminator) {
  BoardSettings record;
  std::memset(&record, 'Z', sizeof record);  // no terminator anywhere
  EXPECT_EQ(ReadField(record.modelName).size(), 21);
  EXPECT_EQ(ReadField(record.jobTitle).size(), 81);
  EXPECT_EQ(FieldBytes(record.channelName[8]).size(), 21u);
  EXPECT_EQ(ModelKindOf(record), -1);
}

TEST(TextCodec, WritingTruncatesWithoutSplittingADoubleByteCharacter) {
  // Ten syllables are 20 bytes: exactly what a 21-byte field holds.
  const QString ten = QString::fromUtf8("가나다라마바사아자차");
  char field[21];
  std::memset(field, 'x', sizeof field);
  EXPECT_TRUE(WriteField(field, ten));
  EXPECT_EQ(ReadField(field), ten);

  // 'a' + ten syllables = 21 bytes: the last syllable would be split, so it goes.
  std::memset(field, 'x', sizeof field);
  EXPECT_FALSE(WriteField(field, QString::fromUtf8("a") + ten));
  EXPECT_EQ(ReadField(field), QString::fromUtf8("a가나다라마바사아자"));
  EXPECT_EQ(field[19], '\0');
  EXPECT_EQ(field[20], 'x');  // bytes after the terminator are carried unchanged

  char small[4];
  EXPECT_FALSE(WriteField(small, QString::fromUtf8("한글")));
  EXPECT_EQ(ReadField(small), QString::fromUtf8("한"));
}

TEST(TextCodec, PrefixLengthRespectsLeadBytes) {
  const QByteArray bytes = ToCp949(QString::fromUtf8("ab한c"));
  const std::string_view v(bytes.constData(), bytes.size());
  EXPECT_EQ(Cp949PrefixLength(v, 2), 2u);
  EXPECT_EQ(Cp949PrefixLength(v, 3), 2u);
  EXPECT_EQ(Cp949PrefixLength(v, 4), 4u);
  EXPECT_EQ(Cp949PrefixLength(v, 10), 5u);
}

// A character without a CP949 form is reported, never passed off as stored.
TEST(TextCodec, CharactersWithoutACp949FormAreReported) {
  const struct {
    const char* utf8;
    bool exact;
  } cases[] = {
      {"", true},          {"/home/u/Tessar", true}, {"통신 포트", true}, {"A-1  ", true},
      {"/tmp/café", false}, {"Kiln 🔥", false},       {"\xef\xbf\xbd", false},  // U+FFFD
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf8(c.utf8);
    bool exact = !c.exact;
    const QByteArray bytes = ToCp949(text, &exact);
    EXPECT_EQ(exact, c.exact) << c.utf8;
    EXPECT_EQ(IsCp949Text(text), c.exact) << c.utf8;
    if (c.exact) {
      EXPECT_EQ(FromCp949(std::string_view(bytes.constData(), bytes.size())), text);
    }
  }
}
