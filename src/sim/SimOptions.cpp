#include "sim/SimOptions.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace zul {
namespace {

const char kUsage[] =
    "usage: zul-sim --pty PATH | --tcp PORT | --mbtcp PORT [options]\n"
    "Plays one or more controllers on a pseudo-terminal (PATH becomes a link to its terminal),\n"
    "or on TCP port PORT of 127.0.0.1 (0: a free one; the port name is printed): --tcp as a\n"
    "serial device server in raw TCP mode (RTU frames), --mbtcp as a Modbus TCP gateway\n"
    "(unit id = controller address).\n"
    "\n"
    "Controllers (a value may start with ADDRESS= to concern one device only):\n"
    "  --devices LIST          addresses on the line, 1..31 (default 1)\n"
    "  --modules [A=]LIST      module type codes, slot 1 first: decimal with commas (1,1,6,14),\n"
    "                          or hexadecimal digits without (116E) (default 1,1,6,3)\n"
    "  --indication [A=]N      indication module type 0..4 (default 1)\n"
    "  --fb [A=]N              function-block table size 120 or 60 (pages beyond answer exception 3)\n"
    "  --zul [A=]FILE          block contents (and, without --modules, composition) from a .zul file;\n"
    "                          a 60-function-block file makes a 60-block controller\n"
    "  --seed [A=]N            seeded random block contents\n"
    "  --exception [A=]BLOCK:CODE  refuse reading and writing a block with an exception (repeatable)\n"
    "  --store-polls [A=]N     confirmation polls answered 'busy' (exception 6) after a store (default 2)\n"
    "  --faulty-slot [A=]S     report module slot S faulty (repeatable)\n"
    "\n"
    "Faults (each device counts its requests from 1; P is a probability 0..1):\n"
    "  --drop P, --drop-nth LIST        no answer\n"
    "  --short P, --short-nth LIST      answer cut short\n"
    "  --short-mode partial|head|body   first 2 bytes, the 3 head bytes, or half (default body)\n"
    "  --badcrc P, --badcrc-nth LIST    answer with a corrupted CRC\n"
    "  --late P, --late-nth LIST        answer after --late-ms MS (default 1500)\n"
    "  --refuse-nth LIST                exception --refuse-code (default 6) instead of the answer\n"
    "  --noisy-function-nth LIST        function byte with bit 7 flipped, CRC not fixed\n"
    "  --other-address-nth LIST         the answer comes from the next address\n"
    "  --other-block-nth LIST           a block answer carries the next block's number\n"
    "  --silent                         never answer\n"
    "  --hangup-nth LIST                (--tcp, --mbtcp) close the connection instead of answering;\n"
    "                                   requests counted over all connections\n"
    "  --fault-seed N                   seed of the probabilities (default 1)\n"
    "\n"
    "Line:\n"
    "  --baud B                answers leave no faster than B baud would carry them (11 bits a character)\n"
    "  --gap-ms MS             silence that ends a frame of unknown length (default 30)\n"
    "  --log FILE              one JSON object a line per received frame\n"
    "  --save-on-exit [A=]FILE write the device's blocks as a .zul file when stopped\n"
    "  --help\n";

bool ParseInt(const std::string& text, long long lo, long long hi, long long* out) {
  try {
    size_t used = 0;
    long long v = std::stoll(text, &used, 10);
    if (used != text.size() || v < lo || v > hi) return false;
    *out = v;
    return true;
  } catch (...) {
    return false;
  }
}

bool ParseProbability(const std::string& text, double* out) {
  try {
    size_t used = 0;
    double v = std::stod(text, &used);
    if (used != text.size() || !(v >= 0.0 && v <= 1.0)) return false;
    *out = v;
    return true;
  } catch (...) {
    return false;
  }
}

bool ParseList(const std::string& text, long long lo, long long hi, std::vector<int>* out) {
  std::stringstream in(text);
  std::string item;
  out->clear();
  while (std::getline(in, item, ',')) {
    long long v = 0;
    if (!ParseInt(item, lo, hi, &v)) return false;
    out->push_back(static_cast<int>(v));
  }
  return !out->empty();
}

// "2=1,6,3" -> address 2 and "1,6,3"; "1,6,3" -> no address.
struct Scoped {
  std::optional<int> address;
  std::string value;
};

Scoped SplitScope(const std::string& text) {
  size_t eq = text.find('=');
  if (eq != std::string::npos && eq > 0 && eq <= 2) {
    long long a = 0;
    if (ParseInt(text.substr(0, eq), 1, 31, &a)) return {static_cast<int>(a), text.substr(eq + 1)};
  }
  return {std::nullopt, text};
}

std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct DeviceOption {
  std::string name;
  Scoped value;
};

}  // namespace

const char* SimUsage() { return kUsage; }

std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string* error) {
  SimOptions options;
  std::vector<int> addresses{1};
  std::vector<DeviceOption> deviceOptions;
  FaultSettings faults;
  auto fail = [error](const std::string& text) -> std::optional<SimOptions> {
    *error = text;
    return std::nullopt;
  };

  static const std::set<std::string> kPerDevice = {"--modules",     "--indication",  "--fb",
                                                   "--zul",         "--seed",        "--exception",
                                                   "--store-polls", "--faulty-slot", "--save-on-exit"};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      return options;
    }
    if (name == "--silent") {
      faults.silent = true;
      continue;
    }
    if (name.rfind("--", 0) != 0) return fail("unexpected argument '" + name + "'");
    if (i + 1 >= args.size()) return fail(name + " needs a value");
    const std::string& value = args[++i];
    long long n = 0;
    std::vector<int> list;
    auto bad = [&]() { return fail("bad value for " + name + ": '" + value + "'"); };

    if (kPerDevice.count(name)) {
      deviceOptions.push_back({name, SplitScope(value)});
    } else if (name == "--pty") {
      options.ptyPath = value;
    } else if (name == "--tcp" || name == "--mbtcp") {
      if (!ParseInt(value, 0, 65535, &n)) return bad();
      options.tcpPort = static_cast<int>(n);
      options.modbusTcp = name == "--mbtcp";
    } else if (name == "--hangup-nth") {
      if (!ParseList(value, 1, 1LL << 30, &list)) return bad();
      options.hangUpRequests.insert(list.begin(), list.end());
    } else if (name == "--devices") {
      if (!ParseList(value, 1, 31, &addresses)) return bad();
      if (std::set<int>(addresses.begin(), addresses.end()).size() != addresses.size()) {
        return fail("--devices lists an address twice");
      }
    } else if (name == "--drop" || name == "--short" || name == "--badcrc" || name == "--late") {
      FaultRule& rule = name == "--drop"     ? faults.drop
                        : name == "--short"  ? faults.cut
                        : name == "--badcrc" ? faults.badCrc
                                             : faults.late;
      if (!ParseProbability(value, &rule.probability)) return bad();
    } else if (name == "--drop-nth" || name == "--short-nth" || name == "--badcrc-nth" ||
               name == "--late-nth") {
      FaultRule& rule = name == "--drop-nth"     ? faults.drop
                        : name == "--short-nth"  ? faults.cut
                        : name == "--badcrc-nth" ? faults.badCrc
                                                 : faults.late;
      if (!ParseList(value, 1, 1LL << 30, &list)) return bad();
      rule.requests.insert(list.begin(), list.end());
    } else if (name == "--refuse-nth" || name == "--noisy-function-nth" || name == "--other-address-nth" ||
               name == "--other-block-nth") {
      FaultRule& rule = name == "--refuse-nth"           ? faults.exception
                        : name == "--noisy-function-nth" ? faults.noisyFunction
                        : name == "--other-address-nth"  ? faults.otherAddress
                                                         : faults.otherBlock;
      if (!ParseList(value, 1, 1LL << 30, &list)) return bad();
      rule.requests.insert(list.begin(), list.end());
    } else if (name == "--refuse-code") {
      if (!ParseInt(value, 1, 255, &n)) return bad();
      faults.exceptionCode = static_cast<int>(n);
    } else if (name == "--short-mode") {
      if (value == "partial")
        faults.shortMode = ShortMode::Partial;
      else if (value == "head")
        faults.shortMode = ShortMode::Head;
      else if (value == "body")
        faults.shortMode = ShortMode::Body;
      else
        return bad();
    } else if (name == "--late-ms") {
      if (!ParseInt(value, 0, 600000, &n)) return bad();
      faults.lateMs = static_cast<int>(n);
    } else if (name == "--fault-seed") {
      if (!ParseInt(value, 0, INT64_MAX, &n)) return bad();
      faults.seed = static_cast<uint64_t>(n);
    } else if (name == "--baud") {
      if (!ParseInt(value, 50, 4000000, &n)) return bad();
      options.baud = static_cast<int>(n);
    } else if (name == "--gap-ms") {
      if (!ParseInt(value, 1, 10000, &n)) return bad();
      options.gapMs = static_cast<int>(n);
    } else if (name == "--log") {
      options.logPath = value;
    } else {
      return fail("unknown option " + name);
    }
  }
  if (options.ptyPath.empty() == (options.tcpPort < 0))
    return fail("one of --pty PATH, --tcp PORT and --mbtcp PORT is required");

  // Build each device: global values first, then those meant for it alone.
  for (int address : addresses) {
    ControllerSetup setup;
    setup.address = address;
    setup.faults = faults;
    setup.faults.seed = faults.seed * 31 + static_cast<uint64_t>(address);
    bool modulesGiven = false;
    std::optional<int> fbGiven;
    long long n = 0;
    std::optional<int> indication;
    for (int pass = 0; pass < 2; ++pass) {
      for (const auto& opt : deviceOptions) {
        bool mine = pass == 0 ? !opt.value.address : opt.value.address == address;
        if (!mine) continue;
        const std::string& v = opt.value.value;
        auto bad = [&]() { return fail("bad value for " + opt.name + ": '" + v + "'"); };
        if (opt.name == "--modules") {
          std::string why;
          if (!Composition::Parse(v, &setup.composition, &why)) return fail("--modules: " + why);
          modulesGiven = true;
        } else if (opt.name == "--indication") {
          if (!ParseInt(v, 0, 4, &n)) return bad();
          indication = static_cast<int>(n);
        } else if (opt.name == "--fb") {
          if (!ParseInt(v, 60, 120, &n) || (n != 60 && n != 120)) return bad();
          setup.fbTableSize = static_cast<int>(n);
          fbGiven = setup.fbTableSize;
        } else if (opt.name == "--zul") {
          auto bytes = ReadFile(v);
          if (!bytes) return fail("cannot read " + v);
          std::string why;
          auto image = ReadZulImage(*bytes, &why);
          if (!image) return fail(v + ": " + why);
          setup.zul = std::move(*image);
        } else if (opt.name == "--seed") {
          if (!ParseInt(v, 0, INT64_MAX, &n)) return bad();
          setup.seed = static_cast<uint64_t>(n);
          setup.randomBlocks = true;
        } else if (opt.name == "--exception") {
          size_t colon = v.find(':');
          long long block = 0, code = 0;
          if (colon == std::string::npos || !ParseInt(v.substr(0, colon), 0, 255, &block) ||
              !ParseInt(v.substr(colon + 1), 1, 255, &code)) {
            return bad();
          }
          setup.blockExceptions[static_cast<int>(block)] = static_cast<int>(code);
        } else if (opt.name == "--store-polls") {
          if (!ParseInt(v, 0, 1000000, &n)) return bad();
          setup.storePolls = static_cast<int>(n);
        } else if (opt.name == "--faulty-slot") {
          if (!ParseInt(v, 1, 16, &n)) return bad();
          setup.faultySlots.push_back(static_cast<int>(n));
        } else if (opt.name == "--save-on-exit") {
          // Without an address the file is the first device's.
          if (opt.value.address || address == addresses.front()) options.saveOnExit[address] = v;
        }
      }
    }
    if (setup.zul && !modulesGiven) setup.composition = setup.zul->composition;
    // The file's size says how many function blocks the controller has.
    if (setup.zul) {
      if (fbGiven && *fbGiven != setup.zul->fbTableSize)
        return fail("--fb " + std::to_string(*fbGiven) + " does not match the file's " +
                    std::to_string(setup.zul->fbTableSize) + " function blocks");
      setup.fbTableSize = setup.zul->fbTableSize;
    }
    if (indication) setup.composition.indicationType = *indication;
    options.devices.push_back(std::move(setup));
  }
  // A value meant for a device that is not on the line is a mistake worth telling.
  for (const auto& opt : deviceOptions) {
    if (opt.value.address &&
        std::find(addresses.begin(), addresses.end(), *opt.value.address) == addresses.end()) {
      return fail(opt.name + " names device " + std::to_string(*opt.value.address) +
                  ", which is not in --devices");
    }
  }
  return options;
}

}  // namespace zul
