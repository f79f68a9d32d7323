// zul new, zul info, zul dump, zul diff: configuration files without a controller.
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>

#include "cli/Command.h"
#include "cli/ConsoleInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationDump.h"
#include "core/config/NewComposition.h"
#include "core/config/NewConfiguration.h"
#include "core/config/ZulFile.h"

namespace zul::cli {
namespace {

std::filesystem::path PathOf(const QString& name) { return std::filesystem::path(name.toStdString()); }

// Opens a file for reading; nullptr (the reason already shown) when it was not loaded.
std::unique_ptr<Configuration> Load(const QString& name, Interaction& ui) {
  auto config = std::make_unique<Configuration>();
  const ZulOpenResult r = OpenZulFile(PathOf(name), *config, ui);
  if (r == ZulOpenResult::Loaded || r == ZulOpenResult::LoadedShort) return config;
  // The program's message names no file; with two files (diff) the engineer needs to know which.
  std::fprintf(stderr, "zul: файл %s\n", name.toLocal8Bit().constData());
  return nullptr;
}

bool ParseSlots(const QString& text, SlotFlags& keep) {
  keep = {};
  if (text.isEmpty()) return true;
  for (const QString& item : text.split(',')) {
    bool ok = false;
    const int slot = item.trimmed().toInt(&ok);
    if (!ok || slot < 1 || slot > kCompositionSlots) return false;
    keep[static_cast<size_t>(slot - 1)] = 1;
  }
  return true;
}

QJsonValue ToJson(const DumpNode& node) {
  switch (node.GetKind()) {
    case DumpNode::Kind::Number:
      return QJsonValue(static_cast<double>(node.GetNumber()));
    case DumpNode::Kind::Text:
      return QJsonValue(QString::fromStdString(node.GetText()));
    case DumpNode::Kind::Array: {
      QJsonArray a;
      for (const auto& item : node.Items()) a.append(ToJson(item));
      return a;
    }
    case DumpNode::Kind::Object: {
      QJsonObject o;
      for (size_t i = 0; i < node.Keys().size(); ++i)
        o.insert(QString::fromStdString(node.Keys()[i]), ToJson(node.Items()[i]));
      return o;
    }
  }
  return {};
}

AnswerPolicy PolicyOf(const QCommandLineParser& parser) {
  if (parser.isSet("yes")) return AnswerPolicy::Yes;
  if (parser.isSet("no")) return AnswerPolicy::No;
  return AnswerPolicy::Ask;
}

}  // namespace

int RunNew(const QStringList& args) {
  QCommandLineParser parser;
  parser.addOptions({{"modules",
                      "Module type codes by slot: decimal with commas (1,1,6,14) or hexadecimal digits "
                      "without (116E).",
                      "CODES"},
                     {"base", "Build on this configuration file.", "OLD.zul"},
                     {"keep", "Slots (1-based, as typed) whose module data the base gives.", "SLOTS"},
                     {{"o", "output"}, "The new file.", "FILE.zul"},
                     {"yes", "Replace an existing file without asking."},
                     {"no", "Never replace an existing file."}});
  if (auto exit = ParseArguments(parser, "new", args)) return *exit;
  if (!parser.positionalArguments().isEmpty()) return UsageError("new", "лишние аргументы");
  NewConfigurationRequest request;
  std::string why;
  const auto typed = ParseModuleList(parser.value("modules").toStdString(), &why);
  if (!typed) return UsageError("new", QString("--modules: ") + QString::fromStdString(why));
  request.typed = *typed;
  if (!ParseSlots(parser.value("keep"), request.keep)) return UsageError("new", "--keep: номера мест 1..16");
  if (parser.isSet("keep") && !parser.isSet("base")) return UsageError("new", "--keep требует --base");
  if (!parser.isSet("output")) return UsageError("new", "не указан -o FILE.zul");

  ConsoleInteraction ui(PolicyOf(parser));
  std::unique_ptr<Configuration> open = std::make_unique<Configuration>();
  if (parser.isSet("base")) {
    open = Load(parser.value("base"), ui);
    if (!open) return kExitFailure;
    request.onBasis = true;
  }
  const auto result = CreateConfigurationFile(PathOf(parser.value("output")), *open,
                                              NewConfigurationBase::Of(open->service), request, ui);
  return result == NewConfigurationResult::Created ? kExitOk : kExitFailure;
}

int RunInfo(const QStringList& args) {
  QCommandLineParser parser;
  parser.addPositionalArgument("file", "Configuration file (.zul).");
  if (auto exit = ParseArguments(parser, "info", args)) return *exit;
  if (parser.positionalArguments().size() != 1) return UsageError("info", "нужен один файл");
  ConsoleInteraction ui;
  const auto config = Load(parser.positionalArguments()[0], ui);
  if (!config) return kExitFailure;
  for (const auto& f : ConfigurationSummary(*config))
    std::printf("%-18s %s\n", f.field.c_str(), f.value.c_str());
  return kExitOk;
}

int RunDump(const QStringList& args) {
  QCommandLineParser parser;
  parser.addOption({"json", "One JSON object instead of field lines."});
  if (auto exit = ParseArguments(parser, "dump", args)) return *exit;
  if (parser.positionalArguments().size() != 1) return UsageError("dump", "нужен один файл");
  ConsoleInteraction ui;
  const auto config = Load(parser.positionalArguments()[0], ui);
  if (!config) return kExitFailure;
  if (parser.isSet("json")) {
    const QByteArray json =
        QJsonDocument(ToJson(DumpConfiguration(*config)).toObject()).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
  } else {
    const std::string text = DumpText(*config);
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  return kExitOk;
}

int RunDiff(const QStringList& args) {
  QCommandLineParser parser;
  parser.addOption(
      {"device-blocks", "Leave out what only a file keeps (device index, output texts, algorithms)."});
  if (auto exit = ParseArguments(parser, "diff", args)) return *exit;
  const QStringList files = parser.positionalArguments();
  if (files.size() != 2) return UsageError("diff", "нужны два файла");
  ConsoleInteraction ui;
  const auto first = Load(files[0], ui);
  const auto second = first ? Load(files[1], ui) : nullptr;
  if (!first || !second) return kExitFailure;
  const auto differences =
      DiffConfigurations(*first, *second, {.deviceBlocksOnly = parser.isSet("device-blocks")});
  for (const auto& d : differences)
    std::printf("%s: %s -> %s\n", d.field.c_str(), d.first.c_str(), d.second.c_str());
  return differences.empty() ? kExitOk : kExitDifferent;
}

}  // namespace zul::cli
