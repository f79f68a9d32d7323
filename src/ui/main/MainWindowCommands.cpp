// The main window's commands.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/config/DeviceNumber.h"
#include "ui/discrete/DiscreteProcessingEditor.h"
#include "ui/link/ExchangeSettingsDialog.h"
#include "ui/link/PortDialog.h"
#include "ui/main/ClockWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/main/NewConfigurationDialog.h"
#include "ui/main/PasswordDialog.h"
#include "ui/modules/AnalogModuleWindow.h"
#include "ui/modules/RelayModuleWindow.h"
#include "ui/modules/SensorTypesWindow.h"
#include "ui/network/LocalNetworkWindow.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/regulators/RegulatorEditor.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

constexpr const char* kProgrammingErrorText = "программирование закончено с ошибкой";
constexpr int kWindowError = 6;

}  // namespace

bool MainWindow::CheckPasswordAtStart() {
  for (;;) {
    discreteProcessing.AccessLevel = kViewingAccess;
    if (passwordDialog->runPasswordCheck() == PasswordDialog::Accepted) {
      discreteProcessing.AccessLevel =
          AccessLevelFor(passwordDialog->Typed().toStdString(), options_.passwordFile);
      MenuParol->setEnabled(discreteProcessing.AccessLevel == kFullAccess);
      return true;
    }
    const Answer a =
        ui_.Ask({kCaptionError, kWrongPasswordText, Icon::Error, Buttons::RetryCancel, Answer::Retry});
    if (a != Answer::Retry) return false;
  }
}

void MainWindow::changePassword() {
  if (discreteProcessing.AccessLevel != kFullAccess) {
    ui_.Show(kCaptionWarning, kNoPasswordChangeText, Icon::Warning);
    return;
  }
  const Answer a = ui_.Ask(
      {kAskPasswordChangeCaption, kAskPasswordChangeText, Icon::Question, Buttons::YesNo, Answer::Yes});
  if (a != Answer::Yes) return;
  passwordDialog->runPasswordChange();
}

void MainWindow::OpenNamedPort() {
  if (options_.namedPorts.empty()) return;
  BackgroundExchange(Worker, ui_, this)
      .RunQuietly([this, name = options_.namedPorts.front(), device = service.CurrentDevice](Interaction&) {
        link.SetPortName(name);
        if (link.OpenPort() != 0) link.ShowError(device, kResultCannotOpen);
      });
}

// --- device selection -------------------------------------------------------------

void MainWindow::onDeviceChosen(int index) {
  const int number = index + 1;
  if (number != service.CurrentDevice + 1) service.CurrentDevice = number - 1;
}

void MainWindow::renumberDevice(int index) {
  BackgroundExchange(Worker, ui_, this)
      .Run(
          "Смена номера устройства", ExchangeKind::Write,
          [this, index](Interaction&) { RenumberDevice(link, service, index + 1); },
          [this] {
            CBoxUstr->setCurrentIndex(service.CurrentDevice);
            CBoxUstrZ->setCurrentIndex(service.ConfiguredDevice);
          });
}

// --- module table -------------------------------------------------------------------

void MainWindow::RefreshModuleTable() {
  const ModuleTableTexts t = BuildModuleTable(service);
  StZUL->setText(Q(t.stZul));
  StZUL1->setText(Q(t.stZul1));
  StZUL2->setText(Q(t.stZul2));
  StKVhA->setNum(t.kVhA);
  StKVhD->setNum(t.kVhD);
  StAllD->setNum(t.allD);
  StKVyhS->setNum(t.kVyhS);
  StAllAn->setNum(t.allAn);
  regulators.RegPresent = t.regulatorPresent ? 1 : 0;
  discreteProcessing.ModuleSynced[0] = t.programmablePresent ? 1 : 0;
  for (size_t s = 0; s < Rows.size(); ++s) {
    const ModuleRowTexts& texts = t.rows[s];
    const ModuleRow& row = Rows[s];
    row.M->setText(Q(texts.type));
    row.KM->setText(Q(texts.code));
    row.IdVh->setText(Q(texts.inputs));
    row.IdVyh->setText(Q(texts.outputs));
    row.Prg->setText(Q(texts.button));
    row.Prg->setEnabled(texts.enabled);
  }
  if (t.noAnalogWarning) ui_.Show(kCaptionWarning, kNoAnalogForLk11Text, Icon::Warning);
}

void MainWindow::openModuleWindow(int row) {
  if (row < 1 || row > kModuleRows) return;
  service.SelectedModule = row;
  const int type = service.ModuleType[static_cast<size_t>(row - 1)];
  const QString typeText = Rows[static_cast<size_t>(row - 1)].M->text();
  const QString inputsText = Rows[static_cast<size_t>(row - 1)].IdVh->text();
  const int module = ModuleNumberInGroup(service, row);
  int result = QDialog::Accepted;
  switch (type) {
    case 1:
    case 2:
      result = discreteInputsOnline->Open(row, module, typeText);
      break;
    case 6:
    case 7:
    case 8:
    case 9:
      result = analogModuleWindow->Open(row, module, type, inputsText);
      break;
    case 3:
    case 4:
    case 5:
    case 12:
      result = relayModuleWindow->Open(row, module, type, typeText);
      break;
    case 10:
      result = sensorTypesWindow->Open(row, typeText, inputsText);
      break;
    case 14:
      openRegulatorEditor(row);
      return;
    default:
      return;
  }
  if (result == kWindowError) ui_.Show(kCaptionError, kProgrammingErrorText, Icon::Error);
}

void MainWindow::openRegulatorEditor(int row) {
  regulators.RegModuleSlot = row - 1;
  regulatorEditor->Open();
}

void MainWindow::openDiscreteProcessingEditor() {
  discreteProcessing.RebuildOnly = 0;
  discreteProcessing.EditorShown = 0;
  if (discreteProcessingEditor->Open() == kEditorFailed)
    ui_.Show(kCaptionError, kProgrammingFailedText, Icon::Error);
}

void MainWindow::openClockWindow() { clockWindow->Open(); }

// --- unit list ------------------------------------------------------------------------

void MainWindow::onUnitChosen(int index) { analogModules.EditedUnit = index; }

void MainWindow::FillUnitList() {
  CBoxRazmChange->clear();
  for (const std::string& name : analogModules.FillUnitsList()) CBoxRazmChange->addItem(Q(name));
  CBoxRazmChange->setCurrentIndex(0);
  analogModules.EditedUnit = 0;
}

void MainWindow::StoreUnits() {
  if (service.FileMode == 1) {
    service.FileChanged = 1;
    return;
  }
  if (!link.CheckWriteAccess(ui_)) return;
  const auto units = analogModules.GetUnits();
  const size_t count =
      static_cast<size_t>(std::clamp(service.UnitsBlockLen - 1, 0, static_cast<int>(units.size())));
  std::vector<uint8_t> bytes(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(count));
  BackgroundExchange(Worker, ui_, this)
      .Run("Запись списка размерностей", ExchangeKind::Write, [this, bytes](Interaction&) {
        StoreConfirmed(link, service, AnalogModules::kUnitsBlockNumber, bytes, service.CurrentDevice);
      });
}

void MainWindow::applyUnitName() {
  const QString text = CBoxRazmChange->currentText();
  if (text.isEmpty()) {
    ui_.Show(kCaptionError, "Ошибочно введена размерность", Icon::Error);
    return;
  }
  const int unit = analogModules.EditedUnit;
  if (text != CBoxRazmChange->itemText(unit)) analogModules.SetUnitName(unit, text.toStdString());
  StoreUnits();
  FillUnitList();
}

void MainWindow::restoreDefaultUnits() {
  for (int k = 0; k < AnalogModules::kUnits && k < CBoxRazmDef->count(); ++k) {
    analogModules.SetUnitName(k, CBoxRazmDef->itemText(k).toStdString());
  }
  StoreUnits();
  FillUnitList();
}

// --- port ---------------------------------------------------------------------------------

void MainWindow::openPortDialog() {
  for (;;) {
    const int outcome = portDialog->exec();
    if (outcome == PortDialog::Invalid) {
      const Answer a =
          ui_.Ask({kCaptionError, "Ошибочные данные ", Icon::Error, Buttons::RetryCancel, Answer::Retry});
      if (a == Answer::Retry) continue;
      return;
    }
    if (outcome != PortDialog::Ok) {
      portDialog->FirstShowing = false;
      return;
    }
    break;
  }
  static const char* kParity[] = {"N", "O", "E"};
  struct Settings {
    std::string parity, baud, stopBits, port;
  } settings{kParity[std::clamp(portDialog->Parit->currentIndex(), 0, 2)],
             portDialog->Skor->currentText().toStdString(), portDialog->StBit->currentText().toStdString(),
             portDialog->CBoxPort->currentText().toStdString()};
  auto opened = std::make_shared<bool>(false);
  BackgroundExchange(Worker, ui_, this)
      .RunQuietly(
          [this, settings, opened, device = service.CurrentDevice](Interaction&) {
            link.SetParityText(settings.parity);
            link.SetBaudText(settings.baud);
            link.SetStopBitsText(settings.stopBits);
            link.SetPortName(settings.port);
            *opened = link.OpenPort() != -1;
            if (!*opened) link.ShowError(device, kResultCannotOpen);
          },
          [this, opened] {
            if (*opened) portDialog->FirstShowing = false;
          });
}

void MainWindow::openExchangeSettings() { ApplyExchangeSettings(*exchangeSettingsDialog, Worker); }

// --- closing ----------------------------------------------------------------------------------

void MainWindow::canClose() {
  if (service.FileMode != 1) return;
  const auto closePort = [this] { Worker.Post({[this](Interaction&) { link.ClosePort(); }}); };
  if (service.FileChanged != 1) {
    closePort();
    return;
  }
  if (ui_.Ask({"Подтвердите запись в файл", "Данные были изменены. Сохранить в файле?", Icon::Question,
               Buttons::YesNo, Answer::Yes}) == Answer::Yes) {
    saveConfigurationFile();
  }
  if (discreteProcessing.AccessLevel == kFullAccess &&
      ui_.Ask({"Подтвердите передачу данных", "Данные были изменены. Передать в прибор?", Icon::Question,
               Buttons::YesNo, Answer::Yes}) == Answer::Yes) {
    // After whatever is on the line now (a scan, a poll), then the port closes.
    WriteToControllerThen(closePort);
    return;
  }
  closePort();
}

// --- information windows ---------------------------------------------------------------

void MainWindow::openInputsWindow() { inputsWindow->Open(RelayColumn::Shown); }

void MainWindow::openOutputsWindow() { outputsWindow->Open(); }

void MainWindow::openLocalNetworkWindow(LocalNetworkMode mode) {
  localNetworkWindow->Open(mode);
  RefreshModuleTable();  // the signal totals follow the network
}

}  // namespace zul
