#include "app/QtTreeView.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A tree whose items can be dragged out of it: pressing an item and moving
// the mouse picks it up (the cursor hides, the item under the mouse is
// marked as the drop target), releasing the button drops it from the view.
class DragTree : public QTreeWidget {
 public:
  explicit DragTree(QWidget* parent) : QTreeWidget(parent) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    QTreeWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    pressed_ = itemAt(event->position().toPoint());
    pressedAt_ = event->position().toPoint();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    if (!dragging_ && pressed_ && (event->buttons() & Qt::LeftButton) &&
        (at - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
      dragging_ = true;
      QApplication::setOverrideCursor(Qt::BlankCursor);
      viewport()->grabMouse();
    }
    if (!dragging_) {
      QTreeWidget::mouseMoveEvent(event);
      return;
    }
    MarkDropTarget(at);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (!dragging_) {
      pressed_ = nullptr;
      QTreeWidget::mouseReleaseEvent(event);
      return;
    }
    MarkDropTarget(event->position().toPoint());
    // Deleting an item deletes its sub-items with it.
    QTreeWidgetItem* dragged = pressed_;
    pressed_ = nullptr;
    dragging_ = false;
    viewport()->releaseMouse();
    QApplication::restoreOverrideCursor();
    delete dragged;
  }

 private:
  void MarkDropTarget(const QPoint& at) {
    if (QTreeWidgetItem* target = itemAt(at)) setCurrentItem(target);
  }
  QTreeWidgetItem* pressed_ = nullptr;
  QPoint pressedAt_;
  bool dragging_ = false;
};

struct TreeViewState {
  QPointer<QDialog> dialog;
  bool fillPending = false;
  // Watched only: the view keeps no frame alive.
  std::weak_ptr<rm::Frame> root;
  SceneObjectLookup sceneObjectOf;
  QWidget* owner = nullptr;
  bool reopenAtSavedPlace = false;
  QRect savedPlace;
};

TreeViewState& State() {
  static TreeViewState state;
  return state;
}

void Refresh(QDialog* old);

QDialog* MakeDialog(QWidget* owner) {
  auto* d = new QDialog(owner);
  d->setObjectName(QString::number(IDD_SCENE_VIEW));
  d->setWindowTitle("Scene view");
  d->setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(d);
  auto* tree = new DragTree(d);
  tree->setObjectName(QString::number(IDC_TREE));
  tree->setHeaderHidden(true);
  tree->setUniformRowHeights(true);
  layout->addWidget(tree);
  auto* refresh = new QPushButton("Refresh", d);
  refresh->setObjectName(QString::number(IDC_TREE_REFRESH));
  refresh->setAutoDefault(false);
  auto* ok = new QPushButton("OK", d);
  ok->setObjectName(QString::number(IDC_TREE_OK));
  ok->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(refresh);
  buttons->addStretch();
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  QObject::connect(ok, &QPushButton::clicked, d, &QDialog::close);
  QObject::connect(refresh, &QPushButton::clicked, d, [d] { Refresh(d); });
  d->resize(360, 420);
  if (State().fillPending) {
    FillTreeWidget(*tree, BuildTreeLines(State().root.lock(), State().sceneObjectOf));
    State().fillPending = false;
  }
  return d;
}

void Refresh(QDialog* old) {
  TreeViewState& s = State();
  s.reopenAtSavedPlace = true;
  s.savedPlace = old->geometry();
  s.dialog = nullptr;
  s.fillPending = true;
  OpenTreeView(s.root.lock(), s.sceneObjectOf, s.owner);
  old->close();
}

}  // namespace

void FillTreeWidget(QTreeWidget& tree, const std::vector<TreeLine>& lines) {
  tree.clear();
  // Items are made and joined while outside the widget, then handed to it
  // at once, so the view is laid out once whatever the number of lines.
  QList<QTreeWidgetItem*> tops;
  std::vector<QTreeWidgetItem*> parents;
  for (const TreeLine& line : lines) {
    const size_t depth = line.depth > 0 ? static_cast<size_t>(line.depth) : 0;
    if (parents.size() > depth) parents.resize(depth);
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(line.text)));
    if (parents.empty() || depth == 0) tops.push_back(item);
    else parents.back()->addChild(item);
    parents.push_back(item);
  }
  tree.addTopLevelItems(tops);
  for (QTreeWidgetItem* top : tops) top->setExpanded(true);
}

void OpenTreeView(const rm::FramePtr& root, SceneObjectLookup sceneObjectOf, QWidget* owner) {
  TreeViewState& s = State();
  if (s.dialog) return;
  s.fillPending = true;
  s.root = root;
  s.sceneObjectOf = std::move(sceneObjectOf);
  s.owner = owner;
  QDialog* d = MakeDialog(owner);
  s.dialog = d;
  if (s.reopenAtSavedPlace) d->setGeometry(s.savedPlace);
  s.reopenAtSavedPlace = false;
  d->show();
}

void RefreshTreeView() {
  if (QDialog* d = State().dialog) Refresh(d);
}

QDialog* TreeViewDialog() { return State().dialog.data(); }
