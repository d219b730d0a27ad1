#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/NumberedDialog.h"
#include "app/QtDialogs.h"
#include "lwlib/object/TextureSearch.h"

void RunTextureLoaderDialog(TextureLoaderDialog& dialog, QWidget* owner) {
  NumberedDialog d(owner, "Texture Loader...", false);
  auto* name = new QLineEdit(&d);
  auto* size = new QLineEdit(&d);
  auto* depth = new QLineEdit(&d);
  for (auto [field, id] : {std::pair{name, 1097}, {size, 1093}, {depth, 1094}}) {
    field->setReadOnly(true);
    field->setObjectName(QString::number(id));
  }
  auto show = [&] {
    name->setText(QString::fromStdString(dialog.nameField()));
    size->setText(QString::fromStdString(dialog.sizeField()));
    depth->setText(QString::fromStdString(dialog.depthField()));
  };
  d.SetBehaviour(
      [&](int id) {
        switch (id) {
          case 1: return dialog.Ok();
          case 1086: dialog.Browse(); break;
          case 1087: dialog.Skip(); return true;
          case 1089: dialog.ToggleSearchDirectory(); break;
          default: break;
        }
        show();
        return false;
      },
      [&](int id) { return id == 1089 && dialog.searchDirectoryFirst(); });
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(name);
  layout->addWidget(Row(&d, {new QLabel("Size", &d), size, new QLabel("Bits", &d), depth}));
  layout->addWidget(d.Check(1089, "Search this &directory first for other textures"));
  layout->addWidget(Row(&d, {d.Button(1, "&OK"), d.Button(1086, "&Browse"), d.Button(1087, "&Skip")}));
  show();
  d.Refresh();
  d.exec();
}
