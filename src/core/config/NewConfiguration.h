#pragma once
// Creating a configuration file for a module composition typed by hand,
// either from scratch or on the basis of the open configuration, keeping the
// data of chosen module slots. The new configuration is built as a fresh
// object and written in the file layout; the caller then opens the file.
#include <filesystem>
#include <memory>

#include "core/config/NewComposition.h"

namespace zul {

struct Configuration;
class Interaction;
class ServiceBlock;

inline constexpr const char* kNewConfigInputError = "ошибка ввода конфигурации";
inline constexpr const char* kNewConfigWrongNameCaption = "задание имени файла";
inline constexpr const char* kNewConfigExists = "Файл с таким именем существует.\nСоздать его заново?";
inline constexpr const char* kNewConfigCaption = "Создание файла";
inline constexpr const char* kNewConfigCannotCreate = "Файл конфигурации не удается создать";
inline constexpr const char* kNewConfigCreated = "Создан файл конфигурации ";
inline constexpr const char* kNewConfigCreatedCaption = "Подтверждение";

// The open configuration's composition as it was before the dialog changed
// anything (the dialog puts the new composition into the service block).
struct NewConfigurationBase {
  SlotTypes types{};          // module type per slot
  int signalCount = 0;        // identity byte 20
  int analogSignalCount = 0;  // identity byte 21
  static NewConfigurationBase Of(const ServiceBlock& serv);
};

struct NewConfigurationRequest {
  SlotTypes typed{};     // the code line as typed, slot 1 first, before it is put in order
  SlotFlags keep{};      // keep flags by typed slot; used on the basis of the open configuration only
  bool onBasis = false;  // "Создать конфигурацию на базе открытого файла"
};

// The new configuration. A kept slot takes its module's data from the open
// configuration's module in the same typed slot, provided that module is of
// the same kind there (the same analog type, any relay type, the same
// programmable discrete type); otherwise the module gets its defaults.
std::unique_ptr<Configuration> BuildNewConfiguration(const Configuration& open,
                                                     const NewConfigurationBase& base,
                                                     const NewConfigurationRequest& request);

enum class NewConfigurationResult {
  Created,
  InvalidComposition,  // "ошибка ввода конфигурации" shown
  WrongName,           // "Неверно задано имя файла" shown: ask for another name
  Declined,            // the user would not replace an existing file
  CannotCreate,        // "Файл конфигурации не удается создать" shown
};

// Checks the composition and the name (no extension gets ".zul"), asks before
// replacing a file, writes the new configuration (through a temporary file)
// and reports "Создан файл конфигурации <name>". `createdAs` receives the path.
NewConfigurationResult CreateConfigurationFile(const std::filesystem::path& chosen, const Configuration& open,
                                               const NewConfigurationBase& base,
                                               const NewConfigurationRequest& request, Interaction& ui,
                                               std::filesystem::path* createdAs = nullptr);

}  // namespace zul
