// Command-line parsing of quenrik-sim; numbers are read independent of the locale.
#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cmath>

namespace sim {

namespace {

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<ModelKind> ParseModel(const std::string& name) {
  if (name == "bandpass") return ModelKind::Bandpass;
  if (name == "flat") return ModelKind::Flat;
  if (name == "echo") return ModelKind::Echo;
  return std::nullopt;
}

std::optional<FaultKind> ParseFault(const std::string& name) {
  if (name == "none") return FaultKind::None;
  if (name == "silent") return FaultKind::Silent;
  if (name == "nul") return FaultKind::Nul;
  if (name == "stray") return FaultKind::Stray;
  if (name == "late") return FaultKind::Late;
  if (name == "bit7") return FaultKind::Bit7;
  if (name == "lower") return FaultKind::Lower;
  if (name == "hangup") return FaultKind::Hangup;
  return std::nullopt;
}

constexpr const char* kValueOptions[] = {"--model",  "--level",       "--noise",    "--seed", "--baud",
                                          "--fault",  "--fault-after", "--delay-ms", "--log",  "--link"};

ParsedOptions Fail(const std::string& error) { return {std::nullopt, error}; }

}  // namespace

ParsedOptions ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions options;
  std::optional<double> noiseDb;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (std::find(std::begin(kValueOptions), std::end(kValueOptions), name) == std::end(kValueOptions)) {
      return Fail("unknown option " + name);
    }
    if (i + 1 == args.size()) return Fail(name + " needs a value");
    const std::string& value = args[++i];
    const auto bad = [&] { return Fail("bad value for " + name + ": " + value); };
    if (name == "--model") {
      const auto kind = ParseModel(value);
      if (!kind) return bad();
      options.model.kind = *kind;
    } else if (name == "--level") {
      const auto level = ParseNumber<double>(value);
      if (!level || !std::isfinite(*level)) return bad();
      options.model.levelDb = *level;
    } else if (name == "--noise") {
      noiseDb = ParseNumber<double>(value);
      if (!noiseDb || !std::isfinite(*noiseDb) || *noiseDb < 0) return bad();
    } else if (name == "--seed") {
      const auto seed = ParseNumber<std::uint32_t>(value);
      if (!seed) return bad();
      options.model.seed = *seed;
    } else if (name == "--baud") {
      const auto baud = ParseNumber<int>(value);
      if (!baud || *baud < 0) return bad();
      options.baud = *baud;
    } else if (name == "--fault") {
      const auto kind = ParseFault(value);
      if (!kind) return bad();
      options.fault.kind = *kind;
    } else if (name == "--fault-after") {
      const auto after = ParseNumber<int>(value);
      if (!after || *after < 0) return bad();
      options.fault.after = *after;
    } else if (name == "--delay-ms") {
      const auto delay = ParseNumber<int>(value);
      if (!delay || *delay < 0) return bad();
      options.fault.delayMs = *delay;
    } else if (name == "--log") {
      options.logPath = value;
    } else {  // --link, the last of kValueOptions
      options.linkPath = value;
    }
  }
  // The filter's measurement shows a little noise unless told otherwise; a flat line stays exact.
  options.model.noiseDb = noiseDb.value_or(options.model.kind == ModelKind::Bandpass ? 0.2 : 0.0);
  return {options, ""};
}

const char* SimUsage() {
  return "usage: quenrik-sim [options]\n"
         "Simulates the sweep instrument on a pseudo-terminal; the first line of output is its device path.\n"
         "  --model bandpass|flat|echo  response (default bandpass: 10.7 MHz IF filter; echo: reply value = kHz)\n"
         "  --level DB                  level of the flat model (default 0)\n"
         "  --noise DB                  peak of the uniform level noise (default 0.2 for bandpass, else 0)\n"
         "  --seed N                    noise seed (default 1)\n"
         "  --baud N                    pace the line as 7E1 at N baud: frames take their time to come in,\n"
         "                              replies to go out (default: unpaced)\n"
         "  --log FILE                  write the nine characters of every received frame, one per line\n"
         "  --link PATH                 make PATH a symlink to the device (moved to the new one after a hang-up)\n"
         "  --fault MODE                none (default), silent (no reply), nul (a NUL before the reply),\n"
         "                              stray (stray bytes before the reply), late (replies after --delay-ms),\n"
         "                              bit7 (bit 7 set on every reply byte), lower (lower-case digits),\n"
         "                              hangup (closes the line once instead of replying, then opens a new\n"
         "                              one: its path is printed as a new line and --link moves to it)\n"
         "  --fault-after N             frames answered normally before the fault starts (default 0)\n"
         "  --delay-ms MS               delay of the late replies (default 1000)\n"
         "Ends on SIGTERM or SIGINT.\n";
}

}  // namespace sim
