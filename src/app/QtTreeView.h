// The modeless "Scene view" dialog (113): the tree control 1071 shows the
// lines of TreeView.h, "Refresh" (1072) makes the view again at the place
// and size the user gave it, "OK" (1) closes it. Dragging an item and
// releasing the button takes the item and its sub-items out of the view
// (the frames stay as they are).
#pragma once

#include "app/TreeView.h"

class QDialog;
class QTreeWidget;
class QWidget;

enum : int {
  IDD_SCENE_VIEW = 113,
  IDC_TREE = 1071,
  IDC_TREE_REFRESH = 1072,
  IDC_TREE_OK = 1,
};

// Opens the view of the tree below `root`; does nothing while it is open.
void OpenTreeView(const rm::FramePtr& root, SceneObjectLookup sceneObjectOf, QWidget* owner);
// Refreshes the view when it is open.
void RefreshTreeView();
// The open view, or null.
QDialog* TreeViewDialog();

// Fills the tree widget with the lines in one pass.
void FillTreeWidget(QTreeWidget& tree, const std::vector<TreeLine>& lines);
