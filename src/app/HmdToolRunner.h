// Runs the external tools of an HMD export without blocking the window: one
// QProcess after the other, each started when the one before ended well.
#pragma once

#include <QObject>
#include <QProcess>
#include <functional>
#include <memory>

#include "psx/HmdExport.h"

class HmdToolRunner {
 public:
  // Called once the export has ended and its files are tidied (the failure,
  // if any, already shown in the "HMD Error" box).
  using Done = std::function<void(bool succeeded)>;

  HmdToolRunner() = default;
  ~HmdToolRunner() { Abort(); }
  HmdToolRunner(const HmdToolRunner&) = delete;
  HmdToolRunner& operator=(const HmdToolRunner&) = delete;

  void Start(HmdExportPlan plan, Done done);
  bool running() const { return process_ != nullptr; }
  // What runs now ("The C preprocessor", "labp"), or empty.
  std::string step() const;
  // Stops the running tool and removes the export's temporary files and its
  // partial output; Done is not called.
  void Abort();

 private:
  void StartStep();
  void Ended(bool succeeded);

  HmdExportPlan plan_;
  size_t step_ = 0;
  Done done_;
  std::unique_ptr<QProcess> process_;
};
