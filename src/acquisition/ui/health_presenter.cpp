#include "acquisition/ui/health_presenter.h"

#include <QCoreApplication>
#include <QSignalBlocker>
#include <cstdio>

#include "acquisition/health_config.h"
#include "acquisition/ui/acquisition_controller.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/live_feed.h"

namespace tessar {

HealthPresenter::HealthPresenter(const ProgramState& state,
                                 const std::array<ChartPage*, kBoardCount>& pages,
                                 QStatusBar* statusBar, LiveFeed* feed, HealthConfig config)
    : state_(state), pages_(pages), statusBar_(statusBar), feed_(feed), config_(config) {}

void HealthPresenter::ApplyCycle(int board, const CycleOutcome& outcome) {
  if (!outcome.processed || board < 0 || board >= kBoardCount) return;
  const BoardHealth& health = state_.Boards[board].health;
  for (const HealthChange& change : outcome.health.changes) {
    ReportHealthLine(statusBar_, QString::fromStdString(
                                     HealthChangeLine(board, change, config_, state_.KoreanUi)));
    if (ChartPage* page = pages_[board]) {
      page->EdValue[change.channel]->setToolTip(QString::fromStdString(
          HealthToolTip(health.channels[change.channel], state_.KoreanUi)));
    }
  }
  if (outcome.health.announce && feed_ != nullptr) {
    emit feed_->HealthChanged(HealthReportOf(board, health));
  }
}

void ReportHealthLine(QStatusBar* statusBar, const QString& text) {
  const QByteArray line =
      (QCoreApplication::applicationName().toLower() + QStringLiteral(": ") + text + '\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
  std::fflush(stderr);
  if (statusBar == nullptr) return;
  const QSignalBlocker quiet(statusBar);
  statusBar->showMessage(text);
}

HealthConfig LoadHealthConfig(const QString& settingsPath, QStatusBar* statusBar) {
  const std::optional<HealthConfigResult> read =
      ReadHealthConfig(HealthConfigPathFor(settingsPath.toStdString()));
  if (!read) return HealthConfig{};
  if (!read->error.empty()) {
    ReportHealthLine(statusBar, QStringLiteral("Health checks: %1; the defaults hold")
                                    .arg(QString::fromStdString(read->error)));
  }
  return read->config;
}

std::unique_ptr<HealthPresenter> StartHealthChecks(const ProgramState& state,
                                                   const std::array<ChartPage*, kBoardCount>& pages,
                                                   QStatusBar* statusBar, LiveFeed* feed,
                                                   AcquisitionController& acquisition) {
  auto presenter = std::make_unique<HealthPresenter>(
      state, pages, statusBar, feed, LoadHealthConfig(state.SettingsPath, statusBar));
  acquisition.SetHealth(presenter.get());
  return presenter;
}

}  // namespace tessar
