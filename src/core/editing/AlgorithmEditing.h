#pragma once
// The algorithm information window's data side: the table of function blocks
// with their kinds and input sources, the algorithm table as the user sees and
// types it, parsing that table back, and taking algorithms from another
// configuration file.
//
// A typed table is parsed whole before anything is stored: a table that does
// not parse changes nothing, so the algorithms stay as they were.
#include <array>
#include <string>
#include <vector>

namespace zul {

struct Configuration;
class FunctionBlocks;
class Interaction;

inline constexpr const char* kAlgorithmsWindowCaption = "Информация о функциональных блоках и  алгоритмах";
// The plain messages of a member list that does not parse.
inline constexpr const char* kAlgorithmListError = "error ";
inline constexpr const char* kAlgorithmBlockError = "error N ФБ";
inline constexpr const char* kAlgorithmErrorQuestion = "Ошибка программирования \nЗакончить?";
inline constexpr const char* kAlgorithmErrorCaption = "Подтвердите окончание программирования";
inline constexpr const char* kAlgorithmsEndedWithError = "программирование закончено с ошибкой";
// The refusals of a typed row follow "Строка N: ".
inline constexpr const char* kAlgorithmNotConsecutive =
    "номера ФБ алгоритма должны идти подряд по возрастанию";
inline constexpr const char* kAlgorithmAfterEmptyRow = "строка записана после пустой строки";
inline constexpr const char* kAlgorithmNameNotCp1251 =
    "в наименовании есть символы, которых нет в кодировке контроллера";
inline constexpr int kMemberListChars = 600;
inline constexpr int kMemberNumberChars = 3;

// --- the block table ---------------------------------------------------------------------
inline constexpr int kBlockTableColumns = 7;
using BlockTableRow = std::array<std::string, kBlockTableColumns>;
// The two header rows.
const std::array<BlockTableRow, 2>& BlockTableHeader();
// One row per block 1..FBCount whose type code is not 0: number, name, kind,
// and the sources of the inputs the kind has.
std::vector<BlockTableRow> BlockTableRows(const Configuration& c);

// --- the algorithm table -----------------------------------------------------------------
inline constexpr int kAlgorithmTableColumns = 3;
struct AlgorithmRow {
  std::string number;   // " " + k
  std::string name;     // at most 100 characters are kept
  std::string members;  // block numbers, each followed by a comma
};
const std::array<AlgorithmRow, 2>& AlgorithmTableHeader();

// Rows 1..AlgCount of the algorithms in memory. A member outside 1..FBCount
// ends its row's list, so a damaged table shows as empty, never out of range.
std::vector<AlgorithmRow> AlgorithmRows(const FunctionBlocks& fb);
// The same for algorithms taken from another file, where the last algorithm
// also takes every block after its last member up to `fbCount`.
std::vector<AlgorithmRow> AlgorithmRowsFromFile(const FunctionBlocks& file, int fbCount);

struct AlgorithmTable {
  std::string error;     // empty when the table parsed; else the message to show
  int errorRow = -1;     // 0-based row of the grid
  int errorColumn = -1;  // 0 the algorithm's number, 1 its name, 2 its member list
  int count = 0;
  std::vector<std::string> names;         // by algorithm; empty = blank
  std::vector<std::vector<int>> members;  // by grid row
  bool Parsed() const { return error.empty(); }
};

// Reads the typed rows up to the first blank one. Row i must carry number
// i; a named row's members are consecutive blocks in ascending order that
// no earlier algorithm holds; its name must fit the controller's code page;
// nothing may follow the blank row. The member lists are read whether or
// not their column may be edited: locking it keeps them as shown.
AlgorithmTable ParseAlgorithmTable(const std::vector<AlgorithmRow>& rows, const FunctionBlocks& fb);
// Replaces the algorithm data with a parsed table (nothing for one that did
// not parse). Each algorithm's first member becomes that block's start.
void ApplyAlgorithmTable(FunctionBlocks& fb, const AlgorithmTable& table);
// Member list text: numbers separated by commas, a trailing comma allowed.
// Fills `members` or returns the message.
std::string ParseMemberList(const std::string& text, int fbCount, int tableSize, std::vector<int>& members);

// --- algorithms from another configuration file -------------------------------------------
enum class AlgorithmFileLoad { Loaded, CannotOpen, Refused };
struct AlgorithmFileResult {
  AlgorithmFileLoad status = AlgorithmFileLoad::Refused;
  std::vector<AlgorithmRow> rows;  // the table to show when Loaded
};
// Reads the file with the configuration loader and gives its algorithms as
// rows of the table (nothing in `c` changes). Says why a file is refused:
// it cannot be opened, is not recognised, is made for 40 blocks or for another
// block count; warns and goes on when its module composition differs.
AlgorithmFileResult AlgorithmsFromFile(const Configuration& c, Interaction& ui, const std::string& path);

}  // namespace zul
