// libFuzzer target for the Touchstone reader: arbitrary bytes are read as a file, and every
// sample is taken. The first byte chooses the name (digit n from 1 to 9: "fuzz.snp", which gives
// version 1 data n ports; anything else: "fuzz.ts", without a port count), the second the port
// (digit 0 to 9; other bytes wrap around; D, C or S: the mixed-mode port D1, C1 or S1). The reader
// must give samples that make sense or a ReadError that names the file and a line of it; anything
// else aborts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>

#include "touchstone/touchstone.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "touchstone_fuzzer: %s [%s]\n", what, detail.c_str());
  std::abort();
}

// A read-only stream over the input, without copying it.
class MemoryBuffer : public std::streambuf {
 public:
  MemoryBuffer(const char* data, std::size_t size) {
    char* begin = const_cast<char*>(data);
    setg(begin, begin, begin + size);
  }
};

void CheckError(const touchstone::ReadError& e, const std::string& name, std::string_view text) {
  // Lines end in LF, CR LF or CR.
  long lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') ++lines;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  if (e.file() != name) Fail("error names another file", e.what());
  if (e.line() < 0 || e.line() > lines + 1)
    Fail("error on a line the file does not have", e.what());
  if (e.message().empty()) Fail("empty error message", e.what());
  const std::string where = e.line() > 0 ? name + ":" + std::to_string(e.line()) : name;
  if (std::string(e.what()) != where + ": " + e.message()) Fail("malformed what()", e.what());
}

void CheckSample(const touchstone::Sample& s, double previous_hz, bool first, long lines) {
  // A pair may be NaN only where the file writes "nan" or "inf", and then the line is given.
  if (!std::isfinite(s.frequency_hz)) Fail("frequency not finite");
  for (const double v : {s.a, s.b}) {
    if (!std::isfinite(v) && !(std::isnan(v) && s.not_a_number_line > 0)) {
      Fail("sample not finite");
    }
  }
  if (s.not_a_number_line < 0 || s.not_a_number_line > lines + 1) {
    Fail("not a number on a line the file does not have");
  }
  if (s.frequency_hz < 0 || (!first && s.frequency_hz <= previous_hz)) {
    Fail("frequency not increasing", std::to_string(s.frequency_hz));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned ports = static_cast<std::uint8_t>(data[0] - '0') % 10;
  const int port = static_cast<std::uint8_t>(data[1] - '0') % 10;
  const std::string mode =
      data[1] == 'D' || data[1] == 'C' || data[1] == 'S' ? std::string(1, data[1]) + "1" : "";
  const std::string name = ports == 0 ? "fuzz.ts" : "fuzz.s" + std::to_string(ports) + "p";
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  MemoryBuffer buffer(text.data(), text.size());
  std::istream in(&buffer);
  try {
    touchstone::ReflectionReader reader(in, name, port, 0, mode);
    if (mode.empty() && (port < 1 || port > reader.port_count())) {
      Fail("port the file does not have accepted");
    }
    if (ports != 0 && reader.port_count() != static_cast<int>(ports) &&
        text.find('[') == text.npos) {
      Fail("version 1 port count not from the name");
    }
    if (!(reader.reference_ohms() > 0) || !std::isfinite(reader.reference_ohms())) {
      Fail("reference impedance not above 0 or not finite");
    }
    touchstone::Sample sample;
    double previous_hz = 0;
    bool first = true;
    try {
      while (reader.Next(sample)) {
        CheckSample(sample, previous_hz, first, static_cast<long>(text.size()));
        const touchstone::Impedance z = reader.stated_impedance();
        if (reader.states_impedances() &&
            !(z.re > 0 && std::isfinite(z.re) && std::isfinite(z.im))) {
          Fail("stated impedance not above 0 or not finite");
        }
        previous_hz = sample.frequency_hz;
        first = false;
      }
    } catch (const touchstone::ReadError& e) {
      try {
        reader.Next(sample);
      } catch (const touchstone::ReadError& again) {
        if (std::string(again.what()) != e.what()) Fail("a second error differs", again.what());
        throw;
      }
      Fail("reading on after an error gave no error", e.what());
    }
    if (reader.Next(sample)) Fail("a sample after the end");
  } catch (const touchstone::ReadError& e) {
    CheckError(e, name, text);
  }
  return 0;
}
