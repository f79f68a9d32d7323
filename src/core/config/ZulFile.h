#pragma once
// Opening and saving ".zul" configuration files: the bytes of a configuration
// in the file layout (ZulFileLayout.h), the recognition of a file by its size,
// and the checks and questions around writing one. Paths come from the
// caller; the file dialogs belong to the windows.
//
// Sound behaviour where the old program went wrong:
// - a save never rewrites the target in place: the bytes go to a temporary
//   file beside it, which then replaces the target, so an interrupted save
//   leaves the old file whole;
// - a file shorter than its layout is read as far as it goes; every block past
//   its end is left empty (never the previous configuration's contents), the
//   user is warned, and the empty blocks are remembered so that such a
//   configuration is never written to a controller as a whole;
// - a file saved from a 60-function-block controller (19,129 bytes with the
//   usual lengths, 18 KiB) opens as the 60-block configuration it was, not as
//   a misaligned 120-block one, even when it was cut short.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "core/config/ZulFileLayout.h"

namespace zul {

struct Configuration;
class Interaction;

// Texts of the file commands.
inline constexpr const char* kZulFile120Fb = "Файл создан для ЗУЛ-05 на 120 ФБ";
inline constexpr const char* kZulFile60Fb = "Файл создан для ЗУЛ-01 на 60 ФБ";
inline constexpr const char* kZulFile40Fb = "Файл создан для ЗУЛ-01 на 40 ФБ";
inline constexpr const char* kZulFileUnknown = "Файл не опознан";
inline constexpr const char* kZulFileShort =
    "Файл короче, чем должен быть.\nНедостающие блоки оставлены пустыми.";
inline constexpr const char* kZulCannotOpen = "Файл не удается открыть";
inline constexpr const char* kZulCannotOpenCaption = "Открытие файла";
inline constexpr const char* kZulWrongName = "Неверно задано имя файла";
inline constexpr const char* kZulWrongNameCaption = "Cохранение данных в файл";  // Latin C, as always shown
inline constexpr const char* kZulReplace = "Файл с таким именем существует.\nЗаменить?";
inline constexpr const char* kZulReplaceCaption = "Сохранение файла";
inline constexpr const char* kZulMismatch =
    "Передаваемая конфигурация\nне соответствует конфигурации в файле.\nСохранить в другом файле";
inline constexpr const char* kZulMismatchCaption = "Проверка конфигурации";
inline constexpr const char* kZulCannotCreate = "Файл  не удается создать";
inline constexpr const char* kZulCannotCreateCaption = "Создание файла";

// What the size of a file says about it (decided before anything is read).
enum class ZulFileKind {
  Readable,     // 8 to 36 KiB except 12 and 17: read as laid out
  For120Fb,     // more than 36 KiB
  For60Fb,      // 17 KiB
  For40Fb,      // 12 KiB
  Unrecognised  // less than 8 KiB
};
ZulFileKind RecogniseZulFileSize(uintmax_t size);

// A file this program saved from a 60-function-block controller has as many
// whole kibibytes as the layout with a 60-record table (18 KiB with the usual
// lengths); every other readable file holds the full table.
inline constexpr int kZulSmallTableSize = 60;
int FunctionBlockTableSizeOfFile(uintmax_t size, ZulBlockLengths lengths = {});

enum class ZulOpenResult {
  Loaded,       // the whole layout was read
  LoadedShort,  // read as far as the file goes; the rest is empty (warned)
  Refused,      // the size rules refused the file (warned); nothing loaded
  CannotOpen,   // "Файл не удается открыть"; nothing loaded
};

// The section lengths of the configuration's file: the usual block lengths
// and its function-block table size. The file carries no lengths of its own,
// so a save in the lengths some controller reported would open misaligned;
// blocks of other lengths are fitted (padded or cut) to the usual ones.
ZulBlockLengths ZulLengthsOf(const Configuration& config);

// The file image of a configuration, in the layout of ZulLengthsOf(config).
// Identity bytes 19..21 carry DoCount, SignalCount and AnalogSignalCount.
std::vector<uint8_t> ZulFileBytes(const Configuration& config);

// Loads a file image into the block objects, the reference copy included, as
// the open command does after the size check. `bytes` shorter than the layout
// leave the missing blocks empty (and listed in blocksMissingFromFile, so that
// they are never written to a controller); returns false in that case. Does
// not touch the file-mode flags and shows nothing.
bool LoadZulFileBytes(std::span<const uint8_t> bytes, Configuration& config);

// The open command on a chosen path: size rules (with their warnings and the
// function-block table size they set), loading, the short-file warning, and
// file mode (FileMode 1, FileChanged 0, ReopenFile 0).
ZulOpenResult OpenZulFile(const std::filesystem::path& path, Configuration& config, Interaction& ui);

// A chosen name as it is saved: no extension gets ".zul"; ".zul" stays; any
// other extension is refused (nullopt).
std::optional<std::filesystem::path> ZulFileName(const std::filesystem::path& chosen);

enum class ZulSaveResult {
  Saved,
  WrongName,          // "Неверно задано имя файла" shown: ask for another name
  ChooseAnotherName,  // the user declined to replace, or wants another file for a different composition
  Cancelled,          // the user stopped the save
  CannotCreate,  // "Файл  не удается создать" shown; the old file, if any, is untouched
};

// The save command on a chosen path: name rule, the replace question, the
// composition check against an existing file, writing through a temporary file,
// then FileChanged and the discrete editor's Modified cleared. `savedAs`
// receives the path written (".zul" appended where needed).
ZulSaveResult SaveZulFile(const std::filesystem::path& chosen, Configuration& config, Interaction& ui,
                          std::filesystem::path* savedAs = nullptr);

// Writes bytes to `path` through a temporary file beside it that then replaces
// it. False (and nothing changed at `path`) when that fails.
bool WriteFileReplacing(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// The whole file, or nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path);

}  // namespace zul
