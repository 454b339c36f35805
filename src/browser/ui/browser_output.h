// What leaves the record browser: "Save as XLS" and "Save as TXT" through the
// save dialog, the chart's picture on the clipboard, the printed report
// (its picture also written to temp.bmp beside the program) and the title
// dialog that edits the titles they carry. Each works on the chart as the
// browser shows it and holds the acquisition meanwhile.
#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <functional>

#include "browser/browser_export.h"
#include "browser/ui/report_page.h"

namespace tessar {

class BrowserWindow;
class Dialogs;
struct ProgramState;

class BrowserOutput {
 public:
  // The browser's dialogs own the save dialog, so it opens over the browser.
  BrowserOutput(BrowserWindow& browser, ProgramState& state, Dialogs& dialogs);

  void SaveXls();
  void SaveText();
  void CopyPicture();
  // The report of the loaded record, shown by the browser's showReport.
  void Print();
  void ModifyTitles();

  // The chart on a white background, as the clipboard and the report get it.
  QImage ChartPicture() const;
  // The report's content for the record as the chart holds it.
  ReportContent Report() const;

 private:
  ExportSource Source() const;
  // Asks for a file name with `extension` in place of any; empty when cancelled.
  QString AskSavePath(const QString& extension);
  void Save(const QString& extension,
            const std::function<SaveResult(const ExportSource&, const std::filesystem::path&)>& write);

  BrowserWindow& browser_;
  ProgramState& state_;
  Dialogs& dialogs_;
};

}  // namespace tessar
