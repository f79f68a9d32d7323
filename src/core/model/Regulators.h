#pragma once
// The regulator module's two blocks: six control-loop records (block 32) and
// six program setpoint generator records (block 33), 28 bytes each, kept as the
// controller holds them, with the accessors the regulator editor, its loop
// dialog and the online view work through.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zul {

// Panel kind of a loop and the action of its output.
enum TRegType { rtPID, rtPS, rtPZ, rtDPR };
enum TTypeOut { toDirect, toInverse };

class Regulators {
 public:
  static constexpr int RecordCount = 6;
  static constexpr int RecordSize = 28;
  static constexpr int BlockDataSize = RecordCount * RecordSize;  // 168
  static constexpr int LoopBlockNumber = 32;
  static constexpr int ProgramBlockNumber = 33;
  static constexpr int ProgramPoints = 6;
  static constexpr int FullScaleCode = 16383;  // 100 % of an output or of a PV scale
  static constexpr int MaxValueCode = 65535;   // a program point's code, unsigned 16 bits
  static constexpr int KvuBase = 120;          // command inputs 121.. are stored less this
  static constexpr int KindUnknown = -1;       // a loop byte 1 no loop kind uses

  // Loop kinds as the loop dialog lists them.
  static constexpr int KindRepeater = 0;
  static constexpr int KindSingleLoop = 1;
  static constexpr int KindCascade = 2;
  static constexpr int KindProgram = 3;
  static constexpr int KindTwoPosition = 4;

  using Record = std::array<uint8_t, RecordSize>;

  // --- blocks and exchange --------------------------------------------------
  std::array<Record, RecordCount> Loops{};     // block 32
  std::array<Record, RecordCount> Programs{};  // block 33
  std::array<uint8_t, RecordCount> RegStatus{};
  std::array<std::array<float, 3>, RecordCount> RegValues{};  // SP, OUT, PV per loop
  int RegBlockLen = BlockDataSize + 1;
  std::array<uint8_t, BlockDataSize> RegBuf{};

  // --- regulator editor state -----------------------------------------------
  int RegModified = 0;
  int SavedRegModified = 0;
  int CurReg = -1;
  int CurPanel = -1;
  int PanelCount = 0;
  std::array<int, RecordCount> PanelLoop{-1, -1, -1, -1, -1, -1};  // loop record shown by panel p
  std::array<int, RecordCount> Selected{};                         // per loop, 1 = selected
  int RegModuleSlot = 0;
  int RegPresent = 0;
  int RegCount = RecordCount;
  int ProgCount = RecordCount;

  // Parameters offered for a new loop.
  float DefaultKP = 1.0f;
  float DefaultTi = 3000.0f;
  float DefaultTd = 0.0f;
  float DefaultOL = 0.0f;
  float DefaultOH = 100.0f;
  float DefaultdSP = 25.0f;

  // Scale of the PV input last chosen in the loop dialog.
  double PvScaleMin = 0.0;
  double PvScaleMax = 100.0;

  // --- loop record bytes (i = 0..5; an index outside reads 0 and stores nothing)
  int GetPV(int i) const { return GetLoopByte(i, 0); }
  void SetPV(int i, int v) { SetLoopByte(i, 0, v); }
  int GetSPSource(int i) const { return GetLoopByte(i, 1); }
  void SetSPSource(int i, int v) { SetLoopByte(i, 1, v); }
  int GetOutput(int i) const { return GetLoopByte(i, 2); }
  void SetOutput(int i, int v) { SetLoopByte(i, 2, v); }
  int GetOutAction(int i) const { return GetLoopByte(i, 3) & 1; }
  void SetOutAction(int i, int v);
  int GetFB(int i) const { return GetLoopByte(i, 3); }
  void SetFB(int i, int v) { SetLoopByte(i, 3, v); }
  int GetFcOn(int i) const { return GetLoopByte(i, 4); }
  void SetFcOn(int i, int v) { SetLoopByte(i, 4, v); }
  int GetFcReturn(int i) const { return GetLoopByte(i, 5); }
  void SetFcReturn(int i, int v) { SetLoopByte(i, 5, v); }
  // Command input address 121..185, or 0 for none.
  int GetKvu(int i) const;
  void SetKvu(int i, int v);
  int GetLoopByte(int i, int b) const;
  void SetLoopByte(int i, int b, int v);

  // Kind 0..4 by bytes 1..3 of the record; KindUnknown when byte 1 fits none.
  int GetKind(int i) const;
  TRegType GetRegType(int i) const;

  // --- Float24 parameters as text; a setter refuses (false, nothing stored) a
  // text that is not a number.
  std::string GetKP(int i) const;
  bool SetKP(int i, std::string_view text);
  std::string GetTi(int i) const;
  bool SetTi(int i, std::string_view text);
  std::string GetTd(int i) const;
  bool SetTd(int i, std::string_view text);
  std::string GetOL(int i) const;
  bool SetOL(int i, std::string_view text);
  std::string GetOH(int i) const;
  bool SetOH(int i, std::string_view text);
  std::string GetdSP(int i) const;
  bool SetdSP(int i, std::string_view text);
  std::string GetFcOut(int i) const;
  bool SetFcOut(int i, std::string_view text);

  // Two-position outputs in percent (16383 = 100 %), stored over bytes 4..7.
  float GetOUT0(int i) const { return GetOutPercent(i, 4); }
  void SetOUT0(int i, float percent) { SetOutPercent(i, 4, percent); }
  float GetOUT1(int i) const { return GetOutPercent(i, 6); }
  void SetOUT1(int i, float percent) { SetOutPercent(i, 6, percent); }

  // --- program records (p = 0..5, point t = 0..5) ----------------------------
  int GetProgReg(int p) const { return GetProgByte(p, 0); }
  void SetProgReg(int p, int v) { SetProgByte(p, 0, v); }
  int GetProgByte(int p, int b) const;
  void SetProgByte(int p, int b, int v);
  int GetTime(int p, int t) const;  // 0..65535
  void SetTime(int p, int t, int v);
  int GetValue(int p, int t) const;  // 0..65535, as the controller reads it
  void SetValue(int p, int t, int v);
  // The setpoint of point t on the scale of the loop's PV input.
  double GetSetpoint(int p, int t, double scaleMin, double scaleMax) const;
  // False, nothing stored, when the setpoint's code does not fit 0..65535.
  bool SetSetpoint(int p, int t, double setpoint, double scaleMin, double scaleMax);
  // The largest setpoint a point can hold on a scale (codes up to 65535);
  // nullopt for a scale without span.
  static std::optional<double> MaxStorableSetpoint(double scaleMin, double scaleMax);

  // --- online state ----------------------------------------------------------
  bool IsAutomatic(int r) const { return StatusBit(r, 0); }
  bool IsSwitchedOn(int r) const { return StatusBit(r, 1); }
  bool IsOutputIndicator(int r) const { return StatusBit(r, 6); }
  bool IsInputIndicator(int r) const { return StatusBit(r, 7); }
  // The 72 data bytes of the holding-register poll: SP, OUT, PV of loops 0..5,
  // each a big-endian single. A short answer fills what it holds.
  void StoreOnlineValues(const uint8_t* data, size_t count);
  // The six status bytes of the coil poll.
  void StoreOnlineStatus(const uint8_t* data, size_t count);

  // --- blocks ----------------------------------------------------------------
  // A function-68 answer: block data from byte 4 on.
  void LoadFromAnswer(const uint8_t* answer, size_t length);
  void LoadFromFile(const uint8_t* bytes, size_t length);
  // The answer's byte count, kept within what RegBuf can send.
  void SetRegBlockLen(int byteCount);
  int BlockFileLength() const { return RegBlockLen - 1; }
  void Unpack(int n);
  void Pack(int n);

  void RemoveLoops(int start, int count) { RemoveRecords(Loops, start, count); }
  void RemovePrograms(int start, int count) { RemoveRecords(Programs, start, count); }
  int ClearLoops(int start, int count);

  // Programs of a new configuration (60-unit intervals rising 15 % a point),
  // packed into RegBuf as block 33.
  void SetNewPrograms();

 private:
  float GetOutPercent(int i, int offset) const;
  void SetOutPercent(int i, int offset, float percent);
  std::string GetFloatText(int i, int offset, int precision, int decimals) const;
  bool SetFloatText(int i, int offset, std::string_view text);
  bool StatusBit(int r, int bit) const;
  static void RemoveRecords(std::array<Record, RecordCount>& records, int start, int count);
};

}  // namespace zul
