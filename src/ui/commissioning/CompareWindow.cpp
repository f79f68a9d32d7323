#include "ui/commissioning/CompareWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Backups.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"

namespace zul {
namespace {

constexpr int kPartRole = Qt::UserRole + 1;
constexpr int kLastBlock = 99;

// A byte as the window shows it; "-" past the end of a block (or no block).
QString ByteText(int byte) {
  return byte < 0 ? QString("-") : QString("%1").arg(byte, 2, 16, QChar('0')).toUpper();
}

// "блоки 12-25" / "блок 35": where the part lives in the controller.
QString BlocksText(ConfigurationPart part, const Configuration& config) {
  std::vector<int> blocks;
  for (int b = 1; b <= kLastBlock; ++b)
    if (BlockBelongsTo(b, part, config)) blocks.push_back(b);
  if (blocks.empty()) return {};
  return QString(blocks.size() == 1 ? ", блок " : ", блоки ") + QString::fromStdString(BlockListText(blocks));
}

}  // namespace

void BackupBeforeWriting(const ControllerAccess& access, QWidget* parent, std::function<void()> write,
                         std::function<void()> otherwise) {
  // Without write access the write refuses with its own message: nothing to back up for it.
  if (access.backupRoot.isEmpty() || access.config.discreteProcessing.AccessLevel != kFullAccess) {
    write();
    return;
  }
  // The controller backed up is the one the write goes to: the chosen one.
  auto b = std::make_shared<BackupOutcome>();
  BackgroundExchange(access.worker, access.ui, parent)
      .Run(
          "Резервная копия перед записью", ExchangeKind::Read,
          [&link = access.link, device = access.config.service.CurrentDevice,
           root = access.backupRoot.toStdString(),
           b](Interaction& ui) { *b = BackupBeforeWrite(link, device, root, ui); },
          [b, write = std::move(write), otherwise = std::move(otherwise)] {
            if (b->mayWrite)
              write();
            else if (otherwise)
              otherwise();
          });
}

CompareWindow::CompareWindow(ControllerAccess access, QWidget* parent)
    : QDialog(parent), access_(std::move(access)) {
  setObjectName("CompareWindow");
  setWindowTitle("Сравнение с прибором");
  auto* layout = new QVBoxLayout(this);
  LabelSummary = new QLabel(this);
  LabelSummary->setObjectName("LabelSummary");
  layout->addWidget(LabelSummary);

  TreeDiff = new QTreeWidget(this);
  TreeDiff->setObjectName("TreeDiff");
  TreeDiff->setHeaderLabels({"Блок / поле", "В памяти", "В приборе", "Блок, байт"});
  TreeDiff->header()->setStretchLastSection(true);
  TreeDiff->setColumnWidth(
      0, fontMetrics().horizontalAdvance("Обработка дискретных сигналов, блоки 12-25 (000)") + 48);
  TreeDiff->setColumnWidth(1, fontMetrics().horizontalAdvance("00000000000000000000"));
  layout->addWidget(TreeDiff, 1);

  auto* buttons = new QHBoxLayout;
  ButWrite = new QPushButton("Записать отмеченные", this);
  ButWrite->setObjectName("ButWrite");
  ButCompare = new QPushButton("Сравнить снова", this);
  ButCompare->setObjectName("ButCompare");
  ButClose = new QPushButton("Закрыть", this);
  ButClose->setObjectName("ButClose");
  buttons->addWidget(ButWrite);
  buttons->addWidget(ButCompare);
  buttons->addStretch(1);
  buttons->addWidget(ButClose);
  layout->addLayout(buttons);
  resize(fontMetrics().averageCharWidth() * 110, fontMetrics().height() * 30);

  connect(ButWrite, &QPushButton::clicked, this, &CompareWindow::writeTicked);
  connect(ButCompare, &QPushButton::clicked, this, &CompareWindow::compareNow);
  connect(ButClose, &QPushButton::clicked, this, &QDialog::close);
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::compareNow() {
  auto controller = std::make_shared<Configuration>();
  controller->service.CurrentDevice = access_.config.service.CurrentDevice;
  auto read = std::make_shared<ReadResult>();
  BackgroundExchange(access_.worker, access_.ui, this)
      .Run(
          "Чтение конфигурации", ExchangeKind::Read,
          [&link = access_.link, controller, read](Interaction& ui) {
            *read = ReadConfiguration(link, *controller, ui);
          },
          [this, controller, read] { ShowComparison(*read, controller); });
}

void CompareWindow::ShowComparison(const ReadResult& read, const std::shared_ptr<Configuration>& controller) {
  if (!read.ok) {
    differences_.clear();
    TreeDiff->clear();
    LabelSummary->setText(QString("Прибор %1 не прочитан").arg(access_.config.service.CurrentDevice + 1));
    ButWrite->setEnabled(false);
    return;
  }
  controller_ = std::make_unique<Configuration>(*controller);
  // Every byte counts: reserved bytes and unused records as much as fields.
  differences_ = CompareBlocks(EncodeBlocks(access_.config), controller_->image.Blocks());
  Show();
}

std::vector<int> CompareWindow::BlocksOf(ConfigurationPart part) const {
  std::vector<int> blocks;
  for (int block : zul::BlocksOf(differences_))
    if (BlockBelongsTo(block, part, access_.config)) blocks.push_back(block);
  return blocks;
}

void CompareWindow::Show() {
  TreeDiff->clear();
  bool writable = false;
  for (const PartDescription& part : ConfigurationParts()) {
    std::vector<const ByteDifference*> bytes;
    for (const ByteDifference& d : differences_)
      if (BlockBelongsTo(d.block, part.part, access_.config)) bytes.push_back(&d);
    if (bytes.empty()) continue;
    auto* top = new QTreeWidgetItem(
        TreeDiff,
        {QString("%1%2 (%3)").arg(part.caption, BlocksText(part.part, access_.config)).arg(bytes.size())});
    top->setData(0, kPartRole, static_cast<int>(part.part));
    if (part.writable) {
      top->setFlags(top->flags() | Qt::ItemIsUserCheckable);
      top->setCheckState(0, Qt::Checked);
      writable = true;
    }
    for (const ByteDifference* d : bytes) {
      new QTreeWidgetItem(top,
                          {QString::fromStdString(DescribeBlockByte(access_.config, d->block, d->offset)),
                           ByteText(d->memory), ByteText(d->controller),
                           QString::fromStdString(RawBlockByte(d->block, d->offset))});
    }
  }
  const int device = access_.config.service.CurrentDevice + 1;
  LabelSummary->setText(differences_.empty()
                            ? QString("Конфигурация в памяти совпадает с прибором %1").arg(device)
                            : QString("Прибор %1: различий %2").arg(device).arg(differences_.size()));
  ButWrite->setEnabled(writable);
}

std::set<ConfigurationPart> CompareWindow::TickedParts() const {
  std::set<ConfigurationPart> parts;
  for (int i = 0; i < TreeDiff->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = TreeDiff->topLevelItem(i);
    if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState(0) == Qt::Checked)
      parts.insert(static_cast<ConfigurationPart>(item->data(0, kPartRole).toInt()));
  }
  return parts;
}

void CompareWindow::Tick(ConfigurationPart part, bool on) {
  for (int i = 0; i < TreeDiff->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = TreeDiff->topLevelItem(i);
    if (item->data(0, kPartRole).toInt() == static_cast<int>(part) &&
        (item->flags() & Qt::ItemIsUserCheckable))
      item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
  }
}

void CompareWindow::writeTicked() {
  const std::set<ConfigurationPart> parts = TickedParts();
  if (parts.empty()) {
    access_.ui.Show(kCaptionWarning, kNothingTickedText, Icon::Warning);
    return;
  }
  if (access_.worker.Busy()) return;
  std::vector<int> differing;
  for (ConfigurationPart part : parts)
    for (int block : BlocksOf(part)) differing.push_back(block);
  BackupBeforeWriting(access_, this, [this, differing] {
    // Exactly the differing blocks of the ticked parts.
    BlockFilter blocks = [differing](int block) {
      return std::find(differing.begin(), differing.end(), block) != differing.end();
    };
    BackgroundExchange(access_.worker, access_.ui, this)
        .Run(
            "Запись конфигурации", ExchangeKind::Write,
            [this, blocks](Interaction& ui) { WriteConfiguration(access_.link, access_.config, ui, blocks); },
            [this] { compareNow(); });
  });
}

}  // namespace zul
