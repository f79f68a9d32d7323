#pragma once
// The calculation blocks after the function blocks: the flow integrator pair
// and up to 24 arithmetic blocks. What the calculation dialog shows and
// checks, how it stores into the table, and the deletion of an arithmetic
// block with the references that follow the result addresses.
//
// Arithmetic blocks are numbered k = 1..24 as the user sees them ("МБ" + k);
// record numbers shown in the dialog are 1-based, record indexes 0-based.
#include <array>
#include <optional>
#include <string>

#include "core/model/FunctionBlocks.h"

namespace zul {

struct Configuration;
class Interaction;

inline constexpr const char* kCalculationDialogCaption = "Программирование расчетных блоков";
inline constexpr const char* kMathBlocksCaption = "Информация о  математических блоках";
inline constexpr const char* kIntegratorsExistText =
    "Интеграторы расхода уже созданы.\nВоспользуйтесь меню Программирование";
inline constexpr const char* kArithBlocksExistText =
    "Арифметические блоки уже созданы.\nВоспользуйтесь меню Программирование";
inline constexpr const char* kNoIntegratorsText =
    "Интеграторы расхода не созданы.\nВоспользуйтесь меню Создание";
inline constexpr const char* kNoArithBlocksText =
    "Арифметические блоки не созданы.\nВоспользуйтесь меню Создание";
inline constexpr const char* kUseCreateMenuText =
    "Для создания арифметического блока \nвоспользуйтесь меню Создание";
inline constexpr const char* kDeleteMathBlockText = "Удаление математического блока ";
inline constexpr const char* kDeleteMathBlockCaption = "Подтвердите удаление ";
inline constexpr int kIntegratorCount = 24;
inline constexpr int kIntegratorsPerRecord = 12;
inline constexpr int kMaxConstant = 32767;

enum class CalcMode { CreateIntegrators = 0, CreateArith = 1, EditIntegrators = 2, EditArith = 3 };

// Operations of an arithmetic block; 0 in the dialog is the integrator item.
enum ArithOperation {
  opIntegrator = 0,
  opSum = 1,
  opDifference = 2,
  opProduct = 3,
  opQuotient = 4,
  opSqrt = 5
};

// Sources of X1 and X2 (the bit 7 of their bytes); -1 in the dialog is none chosen.
enum ArithSource { srcAnalogSignal = 0, srcCalculatedValue = 1 };

// The items of the operation choice, by operation (0 = the integrator).
inline constexpr std::array<const char*, 6> kCalcOperationItems = {"Интегратор расхода",
                                                                   "Суммирование       Y=C1*X1+C2*X2",
                                                                   "Вычитание                Y=C1*X1-C2*X2",
                                                                   "Умножение              Y=C1*X1*X2",
                                                                   "Деление                   Y=C1*X1/X2",
                                                                   "Квадратный корень Y=SQRT(C1*X1)"};

// Records the integrators take before the first arithmetic block: both or none.
int IntegratorShare(const FunctionBlocks& fb);
// Record index of arithmetic block k (1-based).
int ArithRecord(const FunctionBlocks& fb, int k);
// True when record `i` holds an arithmetic block with a known operation.
bool IsArithRecord(const FunctionBlocks& fb, int i);
// True when record `i` is an arithmetic block's place, whatever its
// operation says: a block read with an unknown operation can be programmed anew.
bool IsArithSlot(const FunctionBlocks& fb, int i);
// The result address of the arithmetic block in record `i` (byte 9 for the
// sum and difference, byte 6 otherwise).
int ArithResult(const FunctionBlocks& fb, int i);
// "+", "-", "X", ":", "SQRT"; empty for anything else.
std::string OperationSign(int operation);
// The 24 button captions of the math blocks window: the sign of each block,
// empty where there is no block or the record lies beyond the table.
std::array<std::string, FunctionBlocks::kMaxArithBlocks> MathBlockSigns(const FunctionBlocks& fb);

// The refusals of opening the dialog in `mode` (shown); true when it may open.
bool MayOpenCalculationDialog(const FunctionBlocks& fb, CalcMode mode, Interaction& ui);

struct ArithValues {
  int operation = -1;  // -1 none chosen, 0 the integrator item, else the operation
  int x1Source = -1;
  std::string x1 = "0";
  std::string c1 = "0";
  int x2Source = -1;
  std::string x2 = "0";
  std::string c2 = "0";
  std::string y = "0";
};

struct IntegratorValues {
  std::array<std::string, kIntegratorCount> numbers;  // analog signal numbers, "0" = none
  std::string hour = "0";
  IntegratorValues() { numbers.fill("0"); }
};

// Everything the dialog shows when it opens in a mode.
struct CalcDialogState {
  CalcMode mode = CalcMode::CreateArith;
  std::string modeText;
  bool arithmetic = false;  // the arithmetic group is in use (modes 1, 3)
  int blockNumber = 0;      // arithmetic block k
  int recordNumber = 0;     // 1-based record shown in EditNFB3
  int recordLow = 0;        // range the up-down steps through
  int recordHigh = 0;
  bool recordChoosable = false;
  ArithValues arith;
  IntegratorValues integrators;
  int integratorRecord = 0;  // 1-based record of the first integrator group
  bool secondGroup = false;  // the second integrator group has a record
};

// Fills the dialog for `mode`. Editing an arithmetic block loads the block
// chosen in the math blocks window, or block 1 when none was chosen.
CalcDialogState PrepareCalculationDialog(const FunctionBlocks& fb, CalcMode mode);
ArithValues LoadArithValues(const FunctionBlocks& fb, int record);
IntegratorValues LoadIntegratorValues(const FunctionBlocks& fb);

// Which integrator fields take input: the first, and every one whose own or
// previous field holds a number (the second group only when it has a record).
std::array<bool, kIntegratorCount> IntegratorFieldsEnabled(const IntegratorValues& v, bool secondGroup);

// Which arithmetic fields the operation uses.
struct ArithControls {
  bool x2 = false;
  bool c2 = false;
};
ArithControls ControlsForOperation(int operation);

// Choosing record number `recordNumber` (1-based) in the dialog.
enum class RecordChoice { Loaded, OutOfRange, NotArithmetic };
RecordChoice ChooseArithRecord(const FunctionBlocks& fb, int recordNumber, ArithValues& values,
                               int& blockNumber);

enum class CalcField { Record, Operation, X1, C1, X2, C2, Y, Integrator, Hour };
struct CalcProblem {
  CalcField field;
  int integrator = 0;  // which of the 24 for CalcField::Integrator
  std::string message;  // " Ошибка ввода " or "Величина вне диапазона low - high"
};
// The checks of OK in their order; the first failure, or nothing.
std::optional<CalcProblem> CheckArithValues(const Configuration& c, const ArithValues& v);
std::optional<CalcProblem> CheckIntegratorValues(const Configuration& c, const IntegratorValues& v);
// The record number an arithmetic block is stored into: editing takes only
// an arithmetic block's record, creating only the next free one.
std::optional<CalcProblem> CheckArithRecord(const FunctionBlocks& fb, CalcMode mode, int recordNumber);
// The note of a record number outside the arithmetic blocks' records.
std::string ArithRecordRangeText(const FunctionBlocks& fb);

// Stores an arithmetic block into record `recordNumber` (1-based); creating
// appends it after the last one. False (nothing changed) for a record that
// cannot hold it.
bool StoreArithBlock(Configuration& c, CalcMode mode, int recordNumber, const ArithValues& v);
// Stores the integrator pair. Creating makes room for both records after
// the function blocks; when no number is left the pair is removed (editing)
// or nothing is created. False when nothing changed.
bool StoreIntegrators(Configuration& c, CalcMode mode, const IntegratorValues& v);

// Deletes arithmetic block k (1-based) once the user confirms: references to
// its result become 0, those above it move down one, later blocks move down a
// record. The regulator loops reading calculated values follow like the
// comparators; a loop that read the deleted block loses its input, and a
// warning names it.
bool DeleteArithBlock(Configuration& c, int k, Interaction& ui);
std::string MathBlockQuestionText(int k);
std::string LoopLostMathBlockText(int k, int loop);

}  // namespace zul
