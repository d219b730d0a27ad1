#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/NumberedDialog.h"
#include "app/QtDialogs.h"
#include "lwlib/object/TextureSearch.h"

bool RunTextureLoaderDialog(const std::string& textureName, TextureLoaderChoice& choice, QWidget* owner) {
  TextureLoaderController dialog(textureName);
  NumberedDialog d(owner, "Texture Loader...", false);
  auto* name = new QLineEdit(&d);
  auto* size = new QLineEdit(&d);
  auto* depth = new QLineEdit(&d);
  for (auto [field, id] : {std::pair{name, IDC_TEXTURE_NAME}, {size, IDC_TEXTURE_SIZE}, {depth, IDC_TEXTURE_DEPTH}}) {
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
        const bool close = dialog.Click(id);
        show();
        return close;
      },
      [&](int id) { return dialog.IsChecked(id); });
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(name);
  layout->addWidget(Row(&d, {new QLabel("Size", &d), size, new QLabel("Bits", &d), depth}));
  layout->addWidget(d.Check(IDC_TEXTURE_SEARCH_FIRST, "Search this &directory first for other textures"));
  layout->addWidget(Row(&d, {d.Button(IDC_TEXTURE_OK, "&OK"), d.Button(IDC_TEXTURE_BROWSE, "&Browse"),
                             d.Button(IDC_TEXTURE_SKIP, "&Skip")}));
  show();
  d.Refresh();
  d.exec();
  return dialog.Result(choice);
}
