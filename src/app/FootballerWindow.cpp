#include "app/FootballerWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FootballerWindow::FootballerWindow(FootballerEditor& editor, QWidget* owner, std::function<void()> closed)
    : QDialog(owner), editor_(editor), closed_(std::move(closed)) {
  setObjectName("120");
  setWindowTitle(FootballerEditor::kTitle);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  auto* groups = new QGridLayout;
  struct Group {
    const char* title;
    int previous, middle, next;
    const char* middleText;
  };
  const Group kGroups[] = {
      {"Hair", FOOTBALL_HAIR_PREVIOUS, FOOTBALL_HAIR_COLOUR, FOOTBALL_HAIR_NEXT, "Colour"},
      {"Face", FOOTBALL_FACE_PREVIOUS, FOOTBALL_FACE_CUSTOM, FOOTBALL_FACE_NEXT, "Custom"},
      {"Top", FOOTBALL_TOP_PREVIOUS, FOOTBALL_TOP_CUSTOM, FOOTBALL_TOP_NEXT, "Custom"},
      {"Shorts colour", FOOTBALL_SHORTS_PREVIOUS, FOOTBALL_SHORTS_CUSTOM, FOOTBALL_SHORTS_NEXT, "Custom"},
  };
  int row = 0;
  for (const Group& g : kGroups) {
    auto* box = new QGroupBox(g.title, this);
    auto* buttons = new QHBoxLayout(box);
    for (auto [control, text] : {std::pair{g.previous, "<"}, {g.middle, g.middleText}, {g.next, ">"}})
      buttons->addWidget(Button(control, text));
    groups->addWidget(box, row++, 0);
  }
  layout->addLayout(groups);
  playSounds_ = new QCheckBox("Play sounds", this);
  playSounds_->setObjectName(QString::number(FOOTBALL_PLAY_SOUNDS));
  QObject::connect(playSounds_, &QCheckBox::clicked, this, [this] {
    editor_.Command(FOOTBALL_PLAY_SOUNDS);
    Refresh();
  });
  layout->addWidget(playSounds_);
  status_ = new QLabel(this);
  status_->setObjectName("status");
  layout->addWidget(status_);
  playStop_ = Button(FOOTBALL_PLAY_STOP, "Play/Stop");
  playStop_->setDefault(true);
  layout->addWidget(playStop_);

  move(FootballerEditor::kLeft, FootballerEditor::kTop);
  editor_.Initialise();
  Refresh();
}

QPushButton* FootballerWindow::Button(int control, const char* text) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::number(control));
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, this, [this, control] {
    editor_.Command(control);
    Refresh();
  });
  return button;
}

void FootballerWindow::Refresh() {
  playStop_->setText(QString::fromStdString(editor_.playStopText()));
  playSounds_->setChecked(editor_.soundsOn());
  const Failure& why = editor_.loadFailure();
  status_->setVisible(!why.empty());
  if (!why.empty()) {
    const QString text = QString::fromStdString("Not loaded: " + why.FileText());
    status_->setToolTip(text);
    status_->setText(status_->fontMetrics().elidedText(text, Qt::ElideMiddle, 300));
  }
}

void FootballerWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closed_) closed_();
}
