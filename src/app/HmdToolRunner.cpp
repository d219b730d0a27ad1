#include "app/HmdToolRunner.h"

#include <signal.h>
#include <unistd.h>

#include "platform/Process.h"
#include "psx/Lab.h"

std::string HmdToolRunner::step() const { return running() && step_ < plan_.steps.size() ? plan_.steps[step_].what : ""; }

void HmdToolRunner::Start(HmdExportPlan plan, Done done) {
  Abort();
  plan_ = std::move(plan);
  done_ = std::move(done);
  step_ = 0;
  StartStep();
}

void HmdToolRunner::StartStep() {
  if (step_ >= plan_.steps.size()) {
    Ended(true);
    return;
  }
  const HmdToolStep& step = plan_.steps[step_];
  process_ = std::make_unique<QProcess>();
  QProcess& p = *process_;
  p.setProgram(QString::fromStdString(step.argv[0]));
  QStringList arguments;
  for (size_t i = 1; i < step.argv.size(); ++i) arguments << QString::fromStdString(step.argv[i]);
  p.setArguments(arguments);
  p.setStandardInputFile(step.stdinPath.empty() ? QProcess::nullDevice() : QString::fromStdString(step.stdinPath));
  if (!step.stdoutPath.empty()) p.setStandardOutputFile(QString::fromStdString(step.stdoutPath));
  else p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
  QObject::connect(&p, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart || !process_) return;
    const HmdToolStep& s = plan_.steps[step_];
    ShowHmdStepFailure(s, "cannot start " + s.argv[0] + ": " + process_->errorString().toStdString());
    Ended(false);
  });
  QObject::connect(&p, &QProcess::finished, [this](int exitCode, QProcess::ExitStatus status) {
    if (!process_) return;
    ProcessResult result;
    result.started = true;
    if (status == QProcess::NormalExit) result.exitStatus = exitCode;
    else result.signal = exitCode != 0 ? exitCode : -1;
    if (!result.Succeeded()) {
      // What the tool said is the most useful part of the message.
      std::string errors = process_->readAllStandardError().left(2000).toStdString();
      while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
      ShowHmdStepFailure(plan_.steps[step_], result.Describe(), errors);
      Ended(false);
      return;
    }
    ++step_;
    // The finished process is still in its signal; it goes on the next turn.
    process_.release()->deleteLater();
    StartStep();
  });
  // Each tool leads a process group of its own, so stopping it also stops
  // what it started (the preprocessor runs its compiler proper).
  p.setChildProcessModifier([] { setpgid(0, 0); });
  p.start();
}

void HmdToolRunner::Ended(bool succeeded) {
  if (process_) {
    process_->disconnect();
    process_.release()->deleteLater();
  }
  FinishHmdExport(plan_, succeeded);
  plan_ = {};
  Done done = std::move(done_);
  done_ = nullptr;
  if (done) done(succeeded);
}

void HmdToolRunner::Abort() {
  if (!process_) return;
  process_->disconnect();
  if (const qint64 pid = process_->processId(); pid > 0) ::kill(static_cast<pid_t>(-pid), SIGKILL);
  process_->kill();
  process_->waitForFinished(3000);
  process_.reset();
  FinishHmdExport(plan_, false);
  plan_ = {};
  done_ = nullptr;
}
