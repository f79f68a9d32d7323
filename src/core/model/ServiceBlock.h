#pragma once
// The service block: the controller's module composition and the counts that
// follow from it, the signal base (identifiers and display texts of up to 252
// discrete signals and 64 discrete outputs), the network signal table, the
// text blocks exchanged with the controller and the file, and the state flags
// shared by the windows.
//
// Everything that arrives from the line or a file is clamped to the array it
// fills; every index an operation takes is checked, and an index out of range
// makes the operation do nothing (getters return an empty text).
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace zul {

// Outcome of ServiceBlock::CheckNumberText.
enum class NumberTextError {
  None,     // the text is a valid number of its kind
  Empty,    // the text is empty: refused without a message
  Invalid,  // refused: the window shows kInputErrorText (red field, beep, box)
};

class ServiceBlock {
 public:
  // Sizes of the controller's tables.
  static constexpr int kSlots = 16;          // module slots
  static constexpr int kIdentityBytes = 23;  // identity block
  static constexpr int kSignals = 252;       // discrete signal base
  static constexpr int kAnalogSignals = 48;  // analog signal table
  static constexpr int kOutputs = 64;        // discrete outputs
  static constexpr int kNetBlocks = 16;      // network master blocks
  static constexpr int kIdentCells = 11;     // cells per signal identifier (0..9 used)
  static constexpr int kIdentUsedCells = 10;
  static constexpr int kShortIdentCells = 8;
  static constexpr int kOutIdentCells = 8;
  static constexpr int kTextWidth = 14;        // characters of one text row
  static constexpr int kExchangedTexts = 192;  // rows 0..191 go to the controller and the file
  static constexpr int kTextBlocks = 12;       // device blocks 40..51
  static constexpr int kTextsPerBlock = 16;
  static constexpr int kTextBlockBytes = kTextsPerBlock * kTextWidth;  // 224
  static constexpr int kFirstTextBlockNumber = 40;
  static constexpr int kExchangedOutTexts = 40;
  static constexpr int kOutTextBlocks = 4;  // device blocks 52..55
  static constexpr int kOutTextsPerBlock = 10;
  static constexpr int kOutTextBlockBytes = kOutTextsPerBlock * kTextWidth;  // 140
  static constexpr int kFirstOutTextBlockNumber = 52;
  static constexpr int kInputsPerDiModule = 12;
  static constexpr int kInputsPerAiModule = 6;
  static constexpr int kOutputsPerDoModule = 8;
  static constexpr int kLimitsPerAnalogInput = 4;  // LL, L, H, HH
  static constexpr int kMaxAiModules = 8;
  static constexpr int kMaxDoModules = 8;
  static constexpr int kIdentityFunction = 17;

  // Identity block bytes.
  static constexpr int kIdModuleCount = 0;
  static constexpr int kIdFirstSlot = 1;
  static constexpr int kIdDoCount = 19;
  static constexpr int kIdSignalCount = 20;
  static constexpr int kIdAnalogSignalCount = 21;
  static constexpr int kIdIndicationType = 22;
  // Where the identity block starts in a function-17 answer.
  static constexpr int kIdentityAnswerOffset = 3;
  // Where the texts start in a function-68 answer of a text block.
  static constexpr int kTextAnswerOffset = 4;

  // Module groups of a type code.
  enum class ModuleGroup { None, DiscreteInput, Analog, RelayOutput };
  static ModuleGroup GroupOf(int typeCode);

  // Display name of an indication module type, empty for an unknown type.
  static std::string IndicationName(int type);
  // Light-panel cells of an indication module type, 0 for an unknown type.
  static int CellsOfIndicationType(int type);

  static constexpr std::string_view kInputErrorText = " Ошибка ввода ";
  static constexpr std::string_view kDefaultTextPattern = "Дискр.сигн.000";

  ServiceBlock() = default;

  // --- fields (public: the procedures and windows read and set them directly) ---
  uint8_t ConfiguredDevice = 0;
  int SelectedModule = 0;
  int GroupStart0 = 0;
  int GroupStart1 = 0;
  int GroupStart2 = 0;
  int SignalCount = 0;
  int AnalogSignalCount = 0;
  int DiModules = 0;
  int AiModules = 0;
  int DoModules = 0;
  int KeyModules = 0;
  int DiCount = 0;
  int AiCount = 0;
  int NetAnalogBase = 8;
  int IndicationCells = 24;
  int DoCount = 0;
  int IndicationType = 0;
  int CurrentDevice = 0;
  int UnitsBlockLen = 97;
  int TextBlockLen = 225;
  std::array<int, kNetBlocks> NetAnalogPerBlock{};
  std::array<int, kNetBlocks> NetDiscretePerBlock{};
  int NetAnalogTotal = 0;
  int NetDiscreteTotal = 0;
  int NetBlocksUsed = 0;
  std::array<int, kSlots> ModuleType{};
  std::array<uint8_t, kIdentityBytes> Identity{};
  std::array<std::array<std::string, kIdentCells>, kSignals> Ident{};
  std::array<std::array<std::string, kOutIdentCells>, kOutputs> OutIdent{};
  std::array<std::array<uint8_t, kTextWidth>, kSignals> Text{};
  std::array<uint8_t, kTextBlockBytes> TextBuf{};
  std::array<std::array<uint8_t, kTextWidth>, kOutputs> OutText{};
  std::array<uint8_t, kOutTextBlockBytes> OutTextBuf{};
  int TextChanged = 0;
  int OutTextChanged = 0;
  int FileMode = 0;
  int FileChanged = 0;
  int ReopenFile = 0;
  int TimeEdited = 0;
  std::array<int, kSlots> KeepSlot{};

  // --- identity ---
  uint8_t GetConfiguredDevice() const { return ConfiguredDevice; }
  void SetConfiguredDevice(uint8_t device) { ConfiguredDevice = device; }

  // A function-17 answer (address, function, byte count, identity...): takes
  // the identity block and recounts. Any other function code changes nothing.
  // Bytes the answer does not carry (byte count or buffer too short) read as 0.
  void DecodeIdentity(int functionCode, std::span<const uint8_t> answer);
  // A function-17 answer carries the whole identity: a shorter one would
  // decode as empty slots and zero counts, so it is not taken at all.
  static bool IsWholeIdentityAnswer(std::span<const uint8_t> answer) {
    return answer.size() >= kIdentityAnswerOffset + kIdentityBytes && answer[2] >= kIdentityBytes;
  }
  // The same from raw bytes (the head of a configuration file); missing bytes read as 0.
  void LoadIdentity(std::span<const uint8_t> bytes);
  void RecountIO();
  // Sets and returns IndicationCells from identity byte 22 (unknown types keep the old value).
  int GetIndicationCells();
  void SetIndicationType(int type);
  // True when the composition fits the controller's tables: at most 8 analog
  // and 8 relay-output modules, and the module signals within the signal base.
  // A composition that does not fit still decodes, and every table access
  // stays bounded, but the procedures should refuse it with a message.
  bool CompositionFits() const;
  // Number of the first network signal: discrete inputs + 4 x analog inputs.
  int FirstNetSignal() const { return DiCount + kLimitsPerAnalogInput * AiCount; }

  int GetSelectedModule() const { return SelectedModule; }
  void SetSelectedModule(int v) { SelectedModule = v; }
  int GetDiModules() const { return DiModules; }
  void SetDiModules(int v) { DiModules = v; }
  int GetAiModules() const { return AiModules; }
  void SetAiModules(int v) { AiModules = v; }
  int GetDoModules() const { return DoModules; }
  void SetDoModules(int v) { DoModules = v; }
  int GetKeyModules() const { return KeyModules; }
  void SetKeyModules(int v) { KeyModules = v; }
  int GetSignalCount() const { return SignalCount; }
  // Kept within the signal base (0..252): loops over the tables use it.
  void SetSignalCount(int v);
  int GetAnalogSignalCount() const { return AnalogSignalCount; }
  // Kept within the analog table (0..48).
  void SetAnalogSignalCount(int v);
  int GetGroupStart1() const { return GroupStart1; }
  void SetGroupStart1(int v) { GroupStart1 = v; }
  int GetGroupStart2() const { return GroupStart2; }
  void SetGroupStart2(int v) { GroupStart2 = v; }
  int GetIndicationType() const { return IndicationType; }
  int GetDoCount() const { return DoCount; }
  int GetDiCount() const { return DiCount; }
  int GetAiCount() const { return AiCount; }
  int GetNetAnalogBase() const { return NetAnalogBase; }
  int GetCurrentDevice() const { return CurrentDevice; }
  void SetCurrentDevice(int v) { CurrentDevice = v; }
  int GetUnitsBlockLen() const { return UnitsBlockLen; }
  void SetUnitsBlockLen(int v) { UnitsBlockLen = v; }

  // --- identifiers ---
  void ClearIdentifiers();  // every cell of Ident and OutIdent empty
  void DefaultIdentifiers();
  void DefaultOutputIdentifiers();
  // block and input are the 1-based numbers written into the identifier.
  void SetNetDiscreteIdentifier(int block, int input, int signal);
  void SetNetAnalogIdentifier(int block, int input, int limit, int signal);
  // Network signals from the 16 entries of the network master block
  // (function code and outputs of each): identifiers from the first network
  // signal on, block by block, and the Net* counts. Function 1 or 2 adds one
  // discrete signal per output, 3 or 4 four limit signals per output.
  // Identifiers of network signals left over from an earlier table are cleared.
  void RebuildNetSignals(const std::array<int, kNetBlocks>& functions,
                         const std::array<int, kNetBlocks>& outputs);

  std::string GetIdentifier(int signal) const;        // cells 0..9 joined
  std::string GetShortIdentifier(int signal) const;   // cells 0..7 joined
  std::string GetOutputIdentifier(int output) const;  // cells 0..7 joined
  // Cells first..first+count-1 of a signal's identifier joined.
  std::string JoinIdentCells(int signal, int first, int count) const;

  // --- texts (UTF-8 in and out; cp1251 in the rows) ---
  std::string GetText(int signal) const;
  void SetText(int signal, std::string_view text);
  std::string GetOutputText(int output) const;
  void SetOutputText(int output, std::string_view text);
  void ClearTexts();  // every byte of Text zero
  void DefaultText(int signal);
  // Fills rows first..first+count-1 with blanks; returns first + count.
  int BlankTexts(int first, int count);
  void DeleteTexts(int first, int count);
  void InsertTexts(int first, int count);

  // --- text blocks ---
  // A function-68 answer of a signal-text block: the texts from answer byte 4,
  // at most the answer's byte count - 1, TextBlockLen - 1 and 224 bytes.
  void LoadTextBlock(std::span<const uint8_t> answer);
  // Raw bytes (file): at most TextBlockLen - 1 and 224 bytes.
  void LoadTextBlockRaw(std::span<const uint8_t> bytes);
  void PutTextBlock(int block);
  void FillTextBlock(int block);
  void LoadOutputTextBlock(std::span<const uint8_t> bytes);  // at most 140 bytes
  void PutOutputTextBlock(int block);
  void FillOutputTextBlock(int block);

  // --- input checks shared by the editing dialogs ---
  // Kinds 0, 1, 2: a number (decimal comma) within -32767..32767; kind 5: an
  // integer 0..3. Other kinds check the form only. On None, *value (when
  // given) holds the number.
  static NumberTextError CheckNumberText(std::string_view text, int kind, double* value = nullptr);

 private:
  void DecodeIdentityBytes(std::span<const uint8_t> bytes);
  void SetIdentCells(int signal, std::initializer_list<std::string> cells);
};

}  // namespace zul
