#pragma once
// What the inputs and outputs information windows show and do, apart from
// their widgets: the rows of their tables, the immediate write of an edited
// signal text, copying and replacing groups of texts, the output names taken
// from a configuration file, and the three reports.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/report/RtfReport.h"

namespace zul {

struct Configuration;
class Interaction;
class ModbusLink;

inline constexpr int kInformSignalRows = 252;  // rows of the discrete table (header not counted)
inline constexpr int kInformAnalogRows = 60;
inline constexpr int kInformOutputRows = 64;

using SignalRow = std::array<std::string, 5>;
using AnalogRow = std::array<std::string, 4>;
using OutputRow = std::array<std::string, 12>;

extern const SignalRow kSignalHeader;
extern const AnalogRow kAnalogHeader;
extern const OutputRow kOutputHeader0;
extern const OutputRow kOutputHeader1;

inline constexpr const char* kInformCaption = "Информация о входах";
inline constexpr const char* kInformMRCaption = "Информация о выходах";
inline constexpr const char* kSignalTableCaption = "Дискретные сигналы";
inline constexpr const char* kAnalogTableCaption = "Аналоговые сигналы";
inline constexpr const char* kOutputTableCaption = "Дискретные выходы";
inline constexpr const char* kWrongInputNumberText = "Неверно задан № входа";
inline constexpr const char* kWrongOutputNumberText = "Неверно задан № выхода";

// Column 4 of the discrete table: whether relay outputs 1..5 are looked at
// (the main window) or the column is left blank (the editors that only want
// the numbers).
enum class RelayColumn { Shown, Blank };

// Rows of signals 0..SignalCount-1 (at most 252).
std::vector<SignalRow> SignalRows(const Configuration& c, RelayColumn relay);
// All 60 rows of the analog table; rows no input fills stay empty.
std::vector<AnalogRow> AnalogRows(const Configuration& c);
// Rows of outputs 0..DoCount-1 (at most 64).
std::vector<OutputRow> OutputRows(const Configuration& c);

// --- an edited signal text ----------------------------------------------------------
enum class TextWrite {
  Unchanged,    // TextChanged was not set: nothing to do
  FileChanged,  // file mode: marked changed, nothing sent
  NoAccess,     // warned, nothing sent
  MemoryOnly,   // a text the controller does not hold (index 192 on): nothing sent
  Written,
  Failed,  // the link reported it
};
// After the text dialog stored the text of `signal`: sends the text block
// holding it when TextChanged says so. `progress` (0..100) drives the window's
// bar; -1 hides it.
TextWrite SendEditedSignalText(Configuration& c, ModbusLink& port, Interaction& ui, int signal,
                               const std::function<void(int)>& progress = {});

// --- copying and replacing groups of texts --------------------------------------------
// The signal a typed number (1-based) stands for in the inputs window: the
// signal of that row of the discrete processing editor, or number - 1 where
// the row is empty.
int SignalOfTypedNumber(const Configuration& c, int number);
// Copies texts of the signals `first`..`last` (typed numbers) to the copy
// area. False (with the warning) when a number is out of the base or the
// group runs backwards.
bool CopySignalTexts(Configuration& c, Interaction& ui, int first, int last);
bool CopyOutputTexts(Configuration& c, Interaction& ui, int first, int last);
// Puts the copied group at the typed number, stopping at the last signal
// (output). Returns the rows replaced, or -1 (with the warning) for a number
// out of range.
int ReplaceSignalTexts(Configuration& c, Interaction& ui, int number);
int ReplaceOutputTexts(Configuration& c, Interaction& ui, int number);

// --- output names from a configuration file ---------------------------------------------
enum class NamesLoad { Loaded, CannotOpen, Refused };
// Output texts 0..39 from a .zul file, when its size says it is one of this
// program's files; copies the 64 output texts into the reference copy.
NamesLoad LoadOutputNamesFromFile(Configuration& c, Interaction& ui, const std::string& path);

// --- reports -------------------------------------------------------------------------
// "Файл <name>" in file mode, otherwise "ЗУЛ-05HMI  <modules>  № <device>".
std::string ReportTitle(bool fileMode, const std::string& fileName, const std::string& modules,
                        const std::string& device);
// The reports of the three tables, from the rows the window shows.
Report SignalReport(const std::string& title, const std::vector<SignalRow>& rows);
Report AnalogReport(const std::string& title, const std::vector<AnalogRow>& rows, int analogSignalCount);
Report OutputReport(const std::string& title, const std::vector<OutputRow>& rows);

}  // namespace zul
