// The tree of programs and databases, the path lookup and the tabs that follow the ticks.
#include "UUprawnienia.h"

#include "ApplicationLogin.h"
#include "Dialogs.h"
#include "Field.h"
#include "MxCheckTreeView.h"
#include "PageControl.h"
#include "woxMemTable.h"

namespace {

// The check tree, telling its window when the Space key ticked or cleared a node.
class TProgramTreeView final : public TMxCheckTreeView {
public:
  using TMxCheckTreeView::TMxCheckTreeView;
  std::function<void()> OnKeyToggled;

protected:
  void KeyDown(int &key, Qt::KeyboardModifiers shift) override {
    const bool toggles = key == Qt::Key_Space && !shift && Selected();
    TMxCheckTreeView::KeyDown(key, shift);
    if (toggles && key == Qt::Key_Space && OnKeyToggled)
      OnKeyToggled();
  }
};

} // namespace

QWidget *TUprawnieniaForm::CreateProgramTree(QWidget *parent) {
  auto *tree = new TProgramTreeView(parent);
  tree->setObjectName(QStringLiteral("TreeView"));
  tree->CheckBoxOptions()->SetStyle(cbsStateIndex);
  tree->CheckBoxOptions()->SetCascadeLevels(-1);
  tree->OnClick = [this](QObject *sender) { TreeViewClick(sender); };
  tree->OnKeyToggled = [this] { TreeViewKeyToggled(); };
  TreeView = tree;
  return tree;
}

void TUprawnieniaForm::ShowTreeCheckBoxes() {
  TreeView->CheckBoxOptions()->SetStyle(cbsStateIndex);
  TreeView->SetCheckboxes(true);
}

void TUprawnieniaForm::BuildProgramTree() {
  TTreeNodes *items = TreeView->Items();
  items->BeginUpdate();
  TTreeNode *root = items->Add(nullptr, QStringLiteral("Programy"));
  TreeView->SetCheckBox(root, true);
  for (const TProgramGroup &group : ProgramGroups())
    if (MemTable->Locate(QStringLiteral("Grupa"), group.Name, {}))
      TreeView->SetCheckBox(items->AddChild(root, group.Name), true);
  TField *nazwa = MemTable->FieldByName(QStringLiteral("Nazwa"));
  TField *baza = MemTable->FieldByName(QStringLiteral("Baza"));
  TField *grupa = MemTable->FieldByName(QStringLiteral("Grupa"));
  for (MemTable->First(); !MemTable->Eof(); MemTable->Next()) {
    FListedDatabases.push_back(std::make_unique<TListedDatabase>(
        TListedDatabase{nazwa->AsString(), baza->AsString(), grupa->AsString()}));
    const TListedDatabase &row = *FListedDatabases.back();
    TTreeNode *parent = FindGroupNode(row.Grupa);
    TTreeNode *node = items->AddChildObject(parent, row.Nazwa, FListedDatabases.back().get());
    // A database of no known group stays in sight, but nothing could write or read it.
    if (parent) {
      TreeView->SetCheckBox(node, true);
    } else if (!FUnknownGroups.contains(row.Grupa)) {
      FUnknownGroups.append(row.Grupa);
    }
  }
  items->EndUpdate();
}

TTreeNode *TUprawnieniaForm::FindGroupNode(const QString &Group) {
  TTreeNode *root = TreeView->Items()->GetFirstNode();
  for (TTreeNode *node = root ? root->getFirstChild() : nullptr; node; node = node->getNextSibling())
    if (node->Text() == Group)
      return node;
  return nullptr;
}

QString TUprawnieniaForm::LookupDatabasePath(const QString &Nazwa, const QString &Group) {
  if (!MemTable->Locate(QStringLiteral("Nazwa;Grupa"), QVariantList{Nazwa, Group}, {}))
    return QString();
  return DatabaseConnectionPath(FServer, MemTable->FieldByName(QStringLiteral("Baza"))->AsString());
}

QString TUprawnieniaForm::NodeDatabasePath(const TTreeNode *node) const {
  const auto *row = node ? static_cast<const TListedDatabase *>(node->Data()) : nullptr;
  return row ? DatabaseConnectionPath(FServer, row->Baza) : QString();
}

void TUprawnieniaForm::TellUnknownGroups() {
  if (FUnknownGroups.isEmpty())
    return;
  QStringList names;
  for (const QString &group : FUnknownGroups)
    names.append(u'"' + group + u'"');
  MessageBox(QString::fromUtf8("Grupy spoza listy programów w pliku %1: %2.\nBazy tych grup nie będą "
                               "zapisywane ani odczytywane.")
                 .arg(FFileName, names.join(QStringLiteral(", "))),
             QStringLiteral("Uwaga"), MB_OK | MB_ICONWARNING);
}

void TUprawnieniaForm::TreeViewClick(QObject *) { UpdateProgramTabs(); }

void TUprawnieniaForm::TreeViewKeyToggled() { UpdateProgramTabs(); }

void TUprawnieniaForm::UpdateProgramTabs() {
  ClearProgramSelection();
  TTreeNodes *items = TreeView->Items();
  TTreeNode *root = items->Count() > 0 ? items->Item(0) : nullptr;
  if (!TreeView->Checked(root)) {
    for (int i = 0; i < items->Count(); ++i) {
      TTreeNode *node = items->Item(i);
      if (node->Parent() && TreeView->Checked(node))
        MarkProgramSelected(node->Parent()->Text());
    }
  } else {
    // The root ticked: every group with all its databases.
    for (int i = 1; i < items->Count(); ++i) {
      TTreeNode *node = items->Item(i);
      if (node->Parent() == root) {
        TreeView->SetChecked(node, true);
        MarkProgramSelected(node->Text());
      }
    }
  }
  for (int group = 0; group < ProgramGroupCount; ++group)
    GroupTab(group)->SetTabVisible(ProgramSelected(group));
}

void TUprawnieniaForm::MarkProgramSelected(const QString &Name) {
  const int group = ProgramGroupIndex(Name);
  if (group >= 0)
    FProgramSelected[static_cast<size_t>(group)] = 1;
}

void TUprawnieniaForm::ClearProgramSelection() { FProgramSelected.fill(0); }

int TUprawnieniaForm::TickedDatabaseGroup(const TTreeNode *node) const {
  const int group = node->Parent() ? ProgramGroupIndex(node->Parent()->Text()) : -1;
  return group >= 0 && TreeView->Checked(node) ? group : -1;
}
