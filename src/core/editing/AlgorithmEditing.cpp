#include "core/editing/AlgorithmEditing.h"

#include <algorithm>
#include <memory>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/editing/FunctionBlockScheme.h"
#include "core/model/Cp1251.h"

namespace zul {
namespace {

constexpr int kEmpty = FunctionBlocks::kEmptyEntry;
constexpr int kShownDiscreteInvalid = 192;
constexpr uintmax_t kKiB = 1024;

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A decimal number of at most `digits` digits, or -1.
int SmallNumber(const std::string& text, size_t digits) {
  if (text.empty() || text.size() > digits) return -1;
  int value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return -1;
    value = value * 10 + (ch - '0');
  }
  return value;
}

// What a block input shows in the block table; the ranges differ slightly
// from the scheme's captions.
std::string SourceText(const BlockCaptions& captions, int source, int number) {
  if (number <= 0) return {};
  if (source == srcDiscreteInvalid && number > kShownDiscreteInvalid) return {};
  if (source == srcFBOutput && number > FunctionBlocks::kCapacity) return "КВУ" + std::to_string(number);
  return captions.InputCaption(source, number);
}

// Members of row `alg` in order, up to the first empty entry, the first
// number outside 1..fbCount, the first that does not follow its predecessor
// or the first an earlier algorithm took: what is shown always parses back.
std::vector<int> ShownMembers(const FunctionBlocks& fb, int alg, int fbCount, std::vector<bool>& taken) {
  std::vector<int> members;
  for (int k = 0; k < fb.GetTableSize(); ++k) {
    const int m = fb.GetAlgMember(alg, k);
    if (m < 1 || m > fbCount || taken[static_cast<size_t>(m)]) break;
    if (!members.empty() && m != members.back() + 1) break;
    members.push_back(m);
    taken[static_cast<size_t>(m)] = true;
  }
  return members;
}

std::string MemberText(const std::vector<int>& members, int fbLimit) {
  std::string text;
  for (size_t k = 0; k < members.size(); ++k) {
    text += std::to_string(members[k]);
    // The entry in the row's last position has no comma.
    if (static_cast<int>(k) + 1 != fbLimit) text += ",";
  }
  return text;
}

std::vector<AlgorithmRow> RowsOf(const FunctionBlocks& fb, int fbCount, bool extendLast) {
  std::vector<AlgorithmRow> rows;
  const int count = std::min(fb.GetAlgCount(), fb.GetTableSize());
  const int limit = std::min(fbCount, fb.GetTableSize());
  std::vector<bool> taken(static_cast<size_t>(limit) + 1, false);
  for (int alg = 0; alg < count; ++alg) {
    std::vector<int> members = ShownMembers(fb, alg, limit, taken);
    if (extendLast && alg == count - 1 && !members.empty())
      for (int b = members.back() + 1; b <= limit && !taken[static_cast<size_t>(b)]; ++b)
        members.push_back(b);
    rows.push_back({" " + std::to_string(alg + 1), fb.GetAlgName(alg), MemberText(members, fb.FBLimit())});
  }
  return rows;
}

std::string RowText(int row) { return "Строка " + std::to_string(row + 1) + ": "; }

std::string RowNumberText(int row) {
  return RowText(row) + "номер алгоритма должен быть " + std::to_string(row + 1);
}

// A name the controller's code page can hold unchanged.
bool FitsCp1251(const std::string& name) {
  const std::string bytes = Utf8ToCp1251(name);
  return Cp1251ToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) == name;
}

}  // namespace

// ---- the block table -----------------------------------------------------------------------

const std::array<BlockTableRow, 2>& BlockTableHeader() {
  static const std::array<BlockTableRow, 2> kHeader{{
      {"  №", "Имя", "Тип блока", "Источник", "Источник", "Источник", "Источник"},
      {" п/п", " ", " ", "вход. сигнала 1", "вход. сигнала 2", "вход. сигнала 3", "вход. сигнала 4"},
  }};
  return kHeader;
}

std::vector<BlockTableRow> BlockTableRows(const Configuration& c) {
  const FunctionBlocks& fb = c.functionBlocks;
  const BlockCaptions captions(c);
  std::vector<BlockTableRow> rows;
  const int count = std::min(fb.FBCount, fb.GetTableSize());
  for (int i = 0; i < count; ++i) {
    const int type = fb.GetTypeCode(i);
    if (type == 0) continue;
    BlockTableRow row;
    row[0] = " " + std::to_string(i + 1);
    row[1] = "ФБ" + std::to_string(i + 1);
    row[2] = BlockCaptions::KindName(type - 1);
    const int inputs = FunctionBlocks::CountInputs(type, fb.GetSubtype(i));
    for (int k = 0; k < inputs; ++k)
      row[static_cast<size_t>(3 + k)] =
          SourceText(captions, fb.GetInputSource(i, k), fb.GetInputNumber(i, k));
    rows.push_back(std::move(row));
  }
  return rows;
}

// ---- the algorithm table -------------------------------------------------------------------

const std::array<AlgorithmRow, 2>& AlgorithmTableHeader() {
  static const std::array<AlgorithmRow, 2> kHeader{{
      {" № ", "Наименование  алгоритма ", "Номера ФБ, составляющих алгоритм"},
      {"п/п", " ", " "},
  }};
  return kHeader;
}

std::vector<AlgorithmRow> AlgorithmRows(const FunctionBlocks& fb) { return RowsOf(fb, fb.FBCount, false); }

std::vector<AlgorithmRow> AlgorithmRowsFromFile(const FunctionBlocks& file, int fbCount) {
  return RowsOf(file, fbCount, true);
}

std::string ParseMemberList(const std::string& text, int fbCount, int tableSize, std::vector<int>& members) {
  members.clear();
  if (text.size() > static_cast<size_t>(kMemberListChars)) return kAlgorithmListError;
  const std::string list = Trimmed(text);
  if (list.empty()) return {};
  size_t from = 0;
  while (from < list.size()) {
    size_t comma = list.find(',', from);
    if (comma == std::string::npos) comma = list.size();
    const int n = SmallNumber(Trimmed(list.substr(from, comma - from)), kMemberNumberChars);
    if (n < 0 || static_cast<int>(members.size()) >= tableSize) return kAlgorithmListError;
    if (n < 1 || n > fbCount) return kAlgorithmBlockError;
    members.push_back(n);
    from = comma + 1;
  }
  return {};
}

AlgorithmTable ParseAlgorithmTable(const std::vector<AlgorithmRow>& rows, const FunctionBlocks& fb) {
  AlgorithmTable table;
  const int size = fb.GetTableSize();
  table.names.assign(static_cast<size_t>(size), {});
  const int fbCount = std::min(fb.FBCount, size);
  // Which algorithm (1-based) each block already belongs to.
  std::vector<int> owner(static_cast<size_t>(fbCount) + 1, 0);
  auto fail = [&](std::string message, int row, int column) {
    table.error = std::move(message);
    table.errorRow = row;
    table.errorColumn = column;
    return table;
  };
  const int last = std::min(static_cast<int>(rows.size()), size);
  int end = last;  // the first row without a number
  for (int i = 0; i < last; ++i) {
    const AlgorithmRow& row = rows[static_cast<size_t>(i)];
    const std::string number = Trimmed(row.number);
    const bool blank = number.empty() && Trimmed(row.name).empty() && Trimmed(row.members).empty();
    if (blank) {
      end = i;
      break;
    }
    // Names and members are kept by row: a number other than the row's own
    // would part them.
    if (SmallNumber(number, kMemberNumberChars) != i + 1) return fail(RowNumberText(i), i, 0);
    table.members.resize(static_cast<size_t>(i) + 1);
    // A name of blanks only counts as empty, like a cell left blank.
    if (Trimmed(row.name).empty()) continue;
    if (!FitsCp1251(row.name)) return fail(RowText(i) + kAlgorithmNameNotCp1251, i, 1);
    table.names[static_cast<size_t>(i)] = row.name;
    std::vector<int>& members = table.members[static_cast<size_t>(i)];
    const std::string error = ParseMemberList(row.members, fbCount, size, members);
    if (!error.empty()) return fail(error, i, 2);
    for (size_t k = 0; k < members.size(); ++k) {
      const int m = members[k];
      if (k > 0 && m != members[k - 1] + 1) return fail(RowText(i) + kAlgorithmNotConsecutive, i, 2);
      if (owner[static_cast<size_t>(m)] != 0)
        return fail(RowText(i) + "ФБ" + std::to_string(m) + " уже входит в алгоритм " +
                        std::to_string(owner[static_cast<size_t>(m)]),
                    i, 2);
      owner[static_cast<size_t>(m)] = i + 1;
    }
    table.count = i + 1;
  }
  // Nothing typed after the table's end would be read: refused, not lost.
  for (int i = end + 1; i < last; ++i) {
    const AlgorithmRow& row = rows[static_cast<size_t>(i)];
    if (!Trimmed(row.number).empty() || !Trimmed(row.name).empty() || !Trimmed(row.members).empty())
      return fail(RowText(i) + kAlgorithmAfterEmptyRow, i, 0);
  }
  return table;
}

void ApplyAlgorithmTable(FunctionBlocks& fb, const AlgorithmTable& table) {
  if (!table.Parsed()) return;
  const int size = fb.GetTableSize();
  for (int i = 0; i <= size; ++i) {
    fb.SetAlgStart(i, kEmpty);
    for (int k = 0; k <= size; ++k) fb.SetAlgMember(i, k, kEmpty);
  }
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i)
    fb.SetAlgName(i, i < static_cast<int>(table.names.size()) ? table.names[static_cast<size_t>(i)] : "");
  for (size_t row = 0; row < table.members.size() && static_cast<int>(row) < size; ++row) {
    const std::vector<int>& members = table.members[row];
    for (size_t k = 0; k < members.size() && static_cast<int>(k) < size; ++k)
      fb.SetAlgMember(static_cast<int>(row), static_cast<int>(k), members[k]);
    if (!members.empty()) fb.SetAlgStart(members.front() - 1, members.front());
  }
  fb.SetAlgCount(table.count);
}

// ---- algorithms from another file ------------------------------------------------------------

AlgorithmFileResult AlgorithmsFromFile(const Configuration& c, Interaction& ui, const std::string& path) {
  AlgorithmFileResult result;
  const auto bytes = ReadWholeFile(path);
  if (!bytes) {
    ui.Show(kZulCannotOpenCaption, kZulCannotOpen, Icon::Warning);
    result.status = AlgorithmFileLoad::CannotOpen;
    return result;
  }
  const uintmax_t size = bytes->size();
  auto refuse = [&](const char* text) {
    ui.Show(kCaptionWarning, text, Icon::Warning);
    return result;
  };
  if (size < 12 * kKiB) return refuse(kZulFileUnknown);
  if (size < 13 * kKiB) return refuse("Файл создан на 40 ФБ");
  // The loader's own rule tells a 60-block file from a 120-block one; any
  // other size holds no table this configuration could take.
  const ZulBlockLengths lengths = ZulLengthsOf(c);
  int fileTable = 0;
  if (size >= 36 * kKiB)
    fileTable = FunctionBlocks::kCapacity;
  else if (FunctionBlockTableSizeOfFile(size, lengths) == kZulSmallTableSize)
    fileTable = kZulSmallTableSize;
  if (fileTable != c.functionBlocks.GetTableSize())
    return refuse("Количество ФБ \nне соответствует количеству ФБ в файле");

  for (int slot = 0; slot < ServiceBlock::kSlots; ++slot) {
    if ((*bytes)[static_cast<size_t>(2 + slot)] != c.service.ModuleType[static_cast<size_t>(slot)]) {
      ui.Show(kCaptionWarning, "Рабочая конфигурация \nне соответствует конфигурации в файле", Icon::Warning);
      break;
    }
  }
  // Read into a copy with the ordinary loader: nothing here changes.
  auto other = std::make_unique<Configuration>(c);
  // A file cut short lacks at least the algorithm count after the tables.
  if (!LoadZulFileBytes(*bytes, *other)) return refuse(kZulFileShort);
  result.rows = AlgorithmRowsFromFile(other->functionBlocks, std::min(c.functionBlocks.FBCount, fileTable));
  result.status = AlgorithmFileLoad::Loaded;
  return result;
}

}  // namespace zul
