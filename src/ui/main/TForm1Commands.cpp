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
#include "ui/link/TFormNastr.h"
#include "ui/link/TFormPort.h"
#include "ui/main/TConfig.h"
#include "ui/main/TFPSW.h"
#include "ui/main/TForm1.h"
#include "ui/main/TFormTimeDate.h"
#include "ui/modules/TFormMR.h"
#include "ui/modules/TFormPROG.h"
#include "ui/modules/TFormTipDat.h"
#include "ui/online/OnlineDiscreteView.h"

namespace zul {

namespace {

constexpr const char* kProgrammingErrorText = "программирование закончено с ошибкой";
constexpr int kWindowError = 6;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

bool TForm1::CheckPasswordAtStart() {
  for (;;) {
    ProgZul.AccessLevel = kViewingAccess;
    if (FPSW->RunCheck() == TFPSW::Accepted) {
      ProgZul.AccessLevel = AccessLevelFor(FPSW->Typed().toStdString(), options_.passwordFile);
      MenuParol->setEnabled(ProgZul.AccessLevel == kFullAccess);
      return true;
    }
    const Answer a =
        ui_.Ask({kCaptionError, kWrongPasswordText, Icon::Error, Buttons::RetryCancel, Answer::Retry});
    if (a != Answer::Retry) return false;
  }
}

void TForm1::N1ParolClick() {
  if (ProgZul.AccessLevel != kFullAccess) {
    ui_.Show(kCaptionWarning, kNoPasswordChangeText, Icon::Warning);
    return;
  }
  const Answer a = ui_.Ask(
      {kAskPasswordChangeCaption, kAskPasswordChangeText, Icon::Question, Buttons::YesNo, Answer::Yes});
  if (a != Answer::Yes) return;
  FPSW->RunChange();
}

void TForm1::OpenNamedPort() {
  if (options_.namedPorts.empty()) return;
  Port.SetPortName(options_.namedPorts.front());
  if (Port.OpenPort() != 0) Port.ShowError(Serv.CurrentDevice, kResultCannotOpen);
}

// --- device selection -------------------------------------------------------------

void TForm1::CBoxUstrClick(int index) {
  const int number = index + 1;
  if (number != Serv.CurrentDevice + 1) Serv.CurrentDevice = number - 1;
}

void TForm1::CBoxUstrZClick(int index) {
  if (Gate.Busy()) return;
  ExchangeGate::Scope scope(Gate);
  RenumberDevice(Port, Serv, index + 1);
  CBoxUstr->setCurrentIndex(Serv.CurrentDevice);
  CBoxUstrZ->setCurrentIndex(Serv.ConfiguredDevice);
}

// --- module table -------------------------------------------------------------------

void TForm1::RefreshModuleTable() {
  const ModuleTableTexts t = BuildModuleTable(Serv);
  StZUL->setText(Q(t.stZul));
  StZUL1->setText(Q(t.stZul1));
  StZUL2->setText(Q(t.stZul2));
  StKVhA->setNum(t.kVhA);
  StKVhD->setNum(t.kVhD);
  StAllD->setNum(t.allD);
  StKVyhS->setNum(t.kVyhS);
  StAllAn->setNum(t.allAn);
  ProgReg.RegPresent = t.regulatorPresent ? 1 : 0;
  ProgZul.ModuleSynced[0] = t.programmablePresent ? 1 : 0;
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

void TForm1::Prg1Click(int row) {
  if (row < 1 || row > kModuleRows) return;
  Serv.SelectedModule = row;
  const int type = Serv.ModuleType[static_cast<size_t>(row - 1)];
  const QString typeText = Rows[static_cast<size_t>(row - 1)].M->text();
  const QString inputsText = Rows[static_cast<size_t>(row - 1)].IdVh->text();
  const int module = ModuleNumberInGroup(Serv, row);
  int result = QDialog::Accepted;
  switch (type) {
    case 1:
    case 2:
      result = FormVhD->Open(row, module, typeText);
      break;
    case 6:
    case 7:
    case 8:
    case 9:
      result = FormPROG->Open(row, module, type, inputsText);
      break;
    case 3:
    case 4:
    case 5:
    case 12:
      result = FormMR->Open(row, module, type, typeText);
      break;
    case 10:
      result = FormTipDat->Open(row, typeText, inputsText);
      break;
    default:  // the regulator editor comes with its window
      return;
  }
  if (result == kWindowError) ui_.Show(kCaptionError, kProgrammingErrorText, Icon::Error);
}

void TForm1::ButProgDiskrClick() { ProgZul.RebuildOnly = 0; }

void TForm1::ButTimeDateClick() { FormTimeDate->Open(); }

// --- unit list ------------------------------------------------------------------------

void TForm1::CBoxRazmChangeClick(int index) { ProgMBA.EditedUnit = index; }

void TForm1::FillUnitList() {
  CBoxRazmChange->clear();
  for (const std::string& name : ProgMBA.FillUnitsList()) CBoxRazmChange->addItem(Q(name));
  CBoxRazmChange->setCurrentIndex(0);
  ProgMBA.EditedUnit = 0;
}

void TForm1::StoreUnits() {
  if (Serv.FileMode == 1) {
    Serv.FileChanged = 1;
    return;
  }
  if (ProgZul.AccessLevel != kFullAccess) {
    ui_.Show(kCaptionWarning, kNoWriteAccessText, Icon::Warning);
    return;
  }
  if (Gate.Busy()) return;
  ExchangeGate::Scope scope(Gate);
  const auto units = ProgMBA.GetUnits();
  const size_t count =
      static_cast<size_t>(std::clamp(Serv.UnitsBlockLen - 1, 0, static_cast<int>(units.size())));
  StoreConfirmed(Port, Serv, TProgMBAClass::kUnitsBlockNumber, units.first(count), Serv.CurrentDevice);
}

void TForm1::ButRazmClick() {
  const QString text = CBoxRazmChange->currentText();
  if (text.isEmpty()) {
    ui_.Show(kCaptionError, "Ошибочно введена размерность", Icon::Error);
    return;
  }
  const int unit = ProgMBA.EditedUnit;
  if (text != CBoxRazmChange->itemText(unit)) ProgMBA.SetUnitName(unit, text.toStdString());
  StoreUnits();
  FillUnitList();
}

void TForm1::ButDefaultClick() {
  for (int k = 0; k < TProgMBAClass::kUnits && k < CBoxRazmDef->count(); ++k) {
    ProgMBA.SetUnitName(k, CBoxRazmDef->itemText(k).toStdString());
  }
  StoreUnits();
  FillUnitList();
}

// --- port ---------------------------------------------------------------------------------

void TForm1::APortExecute() {
  for (;;) {
    const int outcome = FormPort->exec();
    if (outcome == TFormPort::Invalid) {
      const Answer a =
          ui_.Ask({kCaptionError, "Ошибочные данные ", Icon::Error, Buttons::RetryCancel, Answer::Retry});
      if (a == Answer::Retry) continue;
      return;
    }
    if (outcome != TFormPort::Ok) {
      FormPort->FirstShowing = false;
      return;
    }
    break;
  }
  static const char* kParity[] = {"N", "O", "E"};
  Port.SetParityText(kParity[std::clamp(FormPort->Parit->currentIndex(), 0, 2)]);
  Port.SetBaudText(FormPort->Skor->currentText().toStdString());
  Port.SetStopBitsText(FormPort->StBit->currentText().toStdString());
  Port.SetPortName(FormPort->CBoxPort->currentText().toStdString());
  if (Port.OpenPort() == -1) {
    Port.ShowError(Serv.CurrentDevice, kResultCannotOpen);
  } else {
    FormPort->FirstShowing = false;
  }
}

void TForm1::NastrObmClick() { ApplyExchangeSettings(*FormNastr, Port); }

// --- closing ----------------------------------------------------------------------------------

void TForm1::FormCloseQuery() {
  if (Serv.FileMode != 1) return;
  if (Serv.FileChanged == 1) {
    if (ui_.Ask({"Подтвердите запись в файл", "Данные были изменены. Сохранить в файле?", Icon::Question,
                 Buttons::YesNo, Answer::Yes}) == Answer::Yes) {
      SaveFileClick();
    }
    if (ProgZul.AccessLevel == kFullAccess &&
        ui_.Ask({"Подтвердите передачу данных", "Данные были изменены. Передать в прибор?", Icon::Question,
                 Buttons::YesNo, Answer::Yes}) == Answer::Yes) {
      OutPortClick();
    }
  }
  Port.ClosePort();
}

// --- information windows ---------------------------------------------------------------

void TForm1::InformButClick() { Inform->Open(RelayColumn::Shown); }

void TForm1::InformButMRClick() { InformMR->Open(); }

}  // namespace zul
