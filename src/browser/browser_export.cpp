#include "browser/browser_export.h"

#include <QByteArray>
#include <cstdio>
#include <fstream>
#include <string>

#include "acquisition/biff_writer.h"
#include "acquisition/thermocouple.h"
#include "browser/record_loader.h"
#include "i18n/messages.h"
#include "i18n/text_codec.h"

namespace tessar {

namespace {

constexpr double kNoData = NoDataValue;

std::string Cp949(const QString& text) {
  const QByteArray bytes = ToCp949(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The series title in a 10-byte column: the title and seven blanks, cut to
// ten bytes without splitting a character, padded to ten.
std::string TitleColumn(const QString& title) {
  std::string text = Cp949(title) + std::string(7, ' ');
  text.resize(Cp949PrefixLength(text, 10));
  text.resize(10, ' ');
  return text;
}

// Runs `row(j)` for every point, pumping events every kRecordsPerPump rows.
template <typename Row>
void ForEachPoint(const ExportSource& source, Row row) {
  const std::size_t n = source.data.x.size();
  for (std::size_t j = 0; j < n; ++j) {
    row(j);
    if ((j + 1) % kRecordsPerPump == 0 && source.pump) source.pump();
  }
}

template <typename Write>
SaveResult Save(const std::filesystem::path& path, Write write) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return SaveResult::CannotCreate;
  write(out);
  out.close();
  return out ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace

void WriteBrowserText(const ExportSource& source, std::ostream& out) {
  const ChartData& d = source.data;
  out << Cp949(source.chartTitle) << " # " << Cp949(source.yAxisTitle) << " # "
      << Cp949(source.startText) << "\r\n";
  out << "         Time         ";
  for (int c = 0; c < d.channelCount; ++c) out << TitleColumn(d.titles[c]);
  out << "\r\n";
  ForEachPoint(source, [&](std::size_t j) {
    std::string line = FormatAxisValue(source.mode, d.x[j]);
    for (int c = 0; c < d.channelCount; ++c) {
      const double v = j < d.y[c].size() ? d.y[c][j] : kNoData;
      if (v == kNoData) {
        line += "         *";
      } else {
        char field[64];
        std::snprintf(field, sizeof field, " %9.3f", v);
        line += field;
      }
    }
    line += "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
  });
}

void WriteBrowserXls(const ExportSource& source, std::ostream& out) {
  const ChartData& d = source.data;
  BiffWriter w(out);
  w.Begin();
  w.Label(0, 0, source.chartTitle);
  w.Label(0, 1, source.yAxisTitle);
  w.Label(0, 2, source.startText);
  w.Label(1, 0, std::string_view("Time"));
  for (int c = 0; c < d.channelCount; ++c) w.Label(1, c + 1, d.titles[c]);
  ForEachPoint(source, [&](std::size_t j) {
    const int row = static_cast<int>(j) + 2;
    w.Label(row, 0, TrimmedAxisValue(source.mode, d.x[j]));
    for (int c = 0; c < d.channelCount; ++c)
      w.Value(row, c + 1, j < d.y[c].size() ? d.y[c][j] : kNoData);
  });
  w.End();
}

SaveResult SaveBrowserText(const ExportSource& source, const std::filesystem::path& path) {
  return Save(path, [&](std::ostream& out) { WriteBrowserText(source, out); });
}

SaveResult SaveBrowserXls(const ExportSource& source, const std::filesystem::path& path) {
  return Save(path, [&](std::ostream& out) { WriteBrowserXls(source, out); });
}

QString WithExtension(const QString& path, const QString& extension) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot > slash && dot > slash + 1 ? path.left(dot) : path;
  return stem + extension;
}

QString SaveStatusText(SaveResult result, const QString& path, bool korean) {
  const Msg id = result == SaveResult::Saved ? Msg::BrowserSaved : Msg::BrowserSaveFailed;
  return MessageText(id, korean).replace(QStringLiteral("%s"), path);
}

}  // namespace tessar
