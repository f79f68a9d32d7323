// The main window's whole-configuration commands: read from and write to the
// controller, open and save a file, create a new configuration.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Interaction.h"
#include "core/config/NewConfiguration.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/editing/LocalNetworkEditing.h"
#include "ui/commissioning/CommissioningMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/main/NewConfigurationDialog.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

std::filesystem::path PathOf(const QString& name) { return std::filesystem::path(name.toStdString()); }

}  // namespace

// What a read or an opened file shows: identity, module table, units, editors.
void MainWindow::ShowConfiguration() {
  SlotTypes types{};
  for (size_t s = 0; s < types.size(); ++s) types[s] = service.ModuleType[s];
  EditModif->setText(Q(CodeLineOf(types)));
  TipModInd->setText(Q(ServiceBlock::IndicationName(service.GetIndicationType())));
  CBoxUstrZ->setCurrentIndex(service.ConfiguredDevice);
  RefreshModuleTable();
  FillUnitList();
  for (QWidget* w : EditorControls()) w->setEnabled(true);
  // Entries among the module signals would corrupt module data once edited.
  if (const std::string damaged = DamagedNetworkEntriesText(config); !damaged.empty())
    ui_.Show(kCaptionWarning, damaged, Icon::Warning);
}

void MainWindow::ShowFileMode(bool on) {
  LabelFile->setText("Режим работы с файлом " + (on ? FileName : QString()));
  LabelFile->setVisible(on);
}

void MainWindow::readFromController() {
  for (QWidget* w : {ButProgDiskr, ButTimeDate, LocNetObm, LocalNet1, LocNet15}) w->setEnabled(false);
  service.CurrentDevice = CBoxUstr->currentIndex();
  BackgroundExchange(Worker, ui_, this)
      .RunFor(
          "Чтение конфигурации", ExchangeKind::Read,
          [this](Interaction& ui) { return ReadConfiguration(link, config, ui); },
          [this](const ReadResult& result) {
            ShowFileMode(false);
            if (!result.ok) {
              // What was read so far stays; the table shows the composition if the identity came.
              if (result.failedStep != ReadStep::Identity) RefreshModuleTable();
              return;
            }
            ShowConfiguration();
          });
}

void MainWindow::writeToController() { WriteToControllerThen({}); }

void MainWindow::WriteToControllerThen(std::function<void()> then) {
  // The controller checked and written is the one shown in "Устр. №".
  service.CurrentDevice = CBoxUstr->currentIndex();
  auto write = [this, then] {
    BackgroundExchange(Worker, ui_, this)
        .RunFor(
            "Запись конфигурации", ExchangeKind::Write,
            [this](Interaction& ui) { return WriteConfiguration(link, config, ui); },
            [this, then](const WriteResult& result) {
              if (result.ok()) ui_.Show(kCaptionInformation, kConfigurationWrittenText, Icon::Information);
              if (then) then();
            });
  };
  // A backup that forbids the write still lets what follows go on.
  commissioningMenus->BackupBeforeWrite(write, then);
}

void MainWindow::createConfigurationFile() {
  const NewConfigurationBase base = NewConfigurationBase::Of(service);
  // The dialog takes the new composition into the service block; a cancelled
  // name or a file not made gives the configuration in memory back whole.
  const ServiceBlock before = service;
  SlotTypes open{};
  for (size_t s = 0; s < open.size(); ++s) open[s] = service.ModuleType[s];
  newConfigurationDialog->Prepare(service.FileMode == 1, open);
  if (newConfigurationDialog->exec() == NewConfigurationDialog::Error) {
    service = before;
    ui_.Show(kCaptionError, kNewConfigInputError, Icon::Error);
    return;
  }
  const QString path = AskZulFileName(
      ChooseFile, ui_, {true, "Создание файла конфигурации", newConfigurationDialog->CodeLine()},
      kNewConfigWrongNameCaption);
  std::filesystem::path created;
  if (path.isEmpty() || CreateConfigurationFile(PathOf(path), config, base, newConfigurationDialog->Request(),
                                                ui_, &created) != NewConfigurationResult::Created) {
    service = before;
    return;
  }
  FileName = QString::fromStdString(created.string());
  ClearConfigurationView();
  service.FileMode = 1;
  service.ReopenFile = 1;
  if (!FileName.isEmpty()) openConfigurationFile();
}

void MainWindow::ClearConfigurationView() {
  EditModif->clear();
  for (QLabel* l : {StZUL, StZUL1, StZUL2, StKVhD, StKVhA, StKVyhS, StAllD, StAllAn, TipModInd}) l->clear();
  for (const ModuleRow& row : Rows) {
    for (QLabel* cell : {row.M, row.KM, row.IdVh, row.IdVyh}) cell->clear();
    row.Prg->setText(QString());
    row.Prg->setEnabled(false);
  }
  // The same controls ShowConfiguration enables again (the unit buttons through their group).
  for (QWidget* w : EditorControls()) w->setEnabled(false);
  ShowFileMode(false);
}

void MainWindow::openConfigurationFile() {
  if (service.ReopenFile != 1) {
    const QString path = ChooseFile({false, "Открыть файл конфигурации", FileName});
    if (path.isEmpty()) {
      service.ReopenFile = 0;
      return;
    }
    FileName = path;
  }
  service.ReopenFile = 0;
  const ZulOpenResult result = OpenZulFile(PathOf(FileName), config, ui_);
  if (result != ZulOpenResult::Loaded && result != ZulOpenResult::LoadedShort) return;
  // The file's device is proposed where the user sees it and can choose another.
  CBoxUstr->setCurrentIndex(service.ConfiguredDevice);
  service.CurrentDevice = CBoxUstr->currentIndex();
  ShowConfiguration();
  ShowFileMode(true);
  commissioningMenus->RememberFile(FileName);
}

void MainWindow::saveConfigurationFile() {
  for (;;) {
    const QString path =
        AskZulFileName(ChooseFile, ui_, {true, "Сохранить как ...", FileName}, "Cохранение данных в файл");
    if (path.isEmpty()) return;
    std::filesystem::path saved;
    const ZulSaveResult result = SaveZulFile(PathOf(path), config, ui_, &saved);
    if (result == ZulSaveResult::Saved) {
      FileName = QString::fromStdString(saved.string());
      if (service.FileMode == 1) ShowFileMode(true);
      return;
    }
    if (result != ZulSaveResult::WrongName && result != ZulSaveResult::ChooseAnotherName) return;
    FileName = path;
  }
}

}  // namespace zul
