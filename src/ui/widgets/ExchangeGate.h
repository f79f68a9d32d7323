#pragma once
// One transaction at a time on the one link. Exchanges block the event loop,
// but a message box shown in the middle of one runs it again; a window timer
// that fires then must not start a second transaction. Every command that
// talks to the controller holds a Scope; a timer tick that finds the gate busy
// skips its turn.
//
// The gate also knows the Qt object the serial line lives in (none for lines
// without one): an exchange on a worker thread takes it along for its time.
class QObject;

namespace zul {

class ExchangeGate {
 public:
  bool Busy() const { return depth_ > 0; }

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
  QObject* line_ = nullptr;
};

}  // namespace zul
