#include "app/QtSound.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtGlobal>

namespace {

// The sound system's complaints about a missing server or device are not the
// user's business: without an output the editor is simply silent.
void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

QtSound::QtSound() = default;

bool QtSound::HaveOutput() {
  if (!checked_) {
    checked_ = true;
    const QtMessageHandler previous = qInstallMessageHandler(DropMessage);
    haveOutput_ = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(previous);
  }
  return haveOutput_;
}

QtSound::~QtSound() = default;

void QtSound::Play(const std::string& path, bool looped) {
  if (path.empty() || !HaveOutput()) return;
  StopAll();  // one sound at a time, as the system's sound service plays them
  std::unique_ptr<QSoundEffect>& effect = effects_[path];
  if (!effect) {
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  }
  effect->setLoopCount(looped ? QSoundEffect::Infinite : 1);
  effect->play();
}

void QtSound::PlayOnce(const std::string& path) { Play(path, false); }
void QtSound::PlayLooped(const std::string& path) { Play(path, true); }

void QtSound::StopAll() {
  for (auto& [path, effect] : effects_)
    if (effect) effect->stop();
}
