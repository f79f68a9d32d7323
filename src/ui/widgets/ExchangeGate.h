#pragma once
// One transaction at a time on the one link. Exchanges run on a worker while
// the event loop goes on, so a window timer or a click may come in the middle
// of one and must not start a second transaction. Every exchange holds a
// Scope while it is on the line; a timer tick that finds the gate busy skips
// its turn.
//
// The gate also knows the Qt object the serial line lives in (none for lines
// without one): an exchange on a worker thread takes it along for its time.
class QObject;

namespace zul {

class ExchangeGate {
 public:
  bool Busy() const { return depth_ > 0; }
  // Held by a poll cycle or a short command: a command that comes meanwhile
  // may wait the moment for it instead of being refused.
  bool HeldBriefly() const { return brief_ > 0; }
  void MarkBrief(bool on) { brief_ += on ? 1 : -1; }

  void SetLineObject(QObject* line) { line_ = line; }
  QObject* LineObject() const { return line_; }

  class Scope {
   public:
    explicit Scope(ExchangeGate& gate) : gate_(gate) { ++gate_.depth_; }
    ~Scope() { --gate_.depth_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    ExchangeGate& gate_;
  };

 private:
  int depth_ = 0;
  int brief_ = 0;
  QObject* line_ = nullptr;
};

}  // namespace zul
