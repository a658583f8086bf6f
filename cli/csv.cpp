#include "cli/csv.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "calc/result_format.h"
#include "cli/sweep.h"

namespace cli {

namespace {

using platform::AppendShortest;

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string CsvHeader() {
  return "frequency_hz,source_magnitude,source_angle_deg,load_magnitude,load_angle_deg,"
         "M,ML_dB,RL_dB,ZS_re_ohm,ZS_im_ohm,ZL_re_ohm,ZL_im_ohm,ML_min_dB,ML_max_dB,"
         "standard_uncertainty_percent,standard_uncertainty_dB,expanded_uncertainty_percent,"
         "expanded_uncertainty_dB,warning\n";
}

void AppendCsvRow(std::string& out, const SweepRow& row) {
  for (const double x : {row.frequency_hz, row.source_magnitude, row.source_angle_deg,
                         row.load_magnitude, row.load_angle_deg}) {
    AppendShortest(out, x);
    out += ',';
  }
  if (!row.computed) {
    out += ",,,,,,,,,,,,,";
    AppendQuoted(out, row.warning);
    out += '\n';
    return;
  }
  // Unbounded losses are "inf" (calc::AppendCsvField), figures that are not defined empty.
  const calc::Results r = calc::ResultsOf(row.result);
  const calc::Impedance& zs = r.source_impedance;
  const calc::Impedance& zl = r.load_impedance;
  bool first = true;
  for (const calc::Figure* f :
       {&r.mismatch_factor, &r.mismatch_loss_db, &r.return_loss_db, &zs.resistance, &zs.reactance,
        &zl.resistance, &zl.reactance, &row.figures.loss_min_db, &row.figures.loss_max_db,
        &row.figures.standard_uncertainty_pct, &row.figures.standard_uncertainty_db,
        &row.figures.expanded_uncertainty_pct, &row.figures.expanded_uncertainty_db}) {
    if (!first) out += ',';
    first = false;
    calc::AppendCsvField(out, *f);
  }
  out += ",\n";
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  temporary_ = path_ + ".XXXXXX";
  const int fd = mkstemp(temporary_.data());
  if (fd < 0) {
    const std::string reason = std::strerror(errno);
    temporary_.clear();
    throw OutputError(path_ + ": cannot create a file beside it: " + reason);
  }
  // mkstemp makes the file private; give it the permissions of an ordinary new file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    close(fd);
    Fail("cannot write");
  }
}

AtomicFile::~AtomicFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temporary_.empty()) std::remove(temporary_.c_str());
}

void AtomicFile::Fail(const std::string& what) {
  throw OutputError(path_ + ": " + what + ": " + std::strerror(errno));
}

void AtomicFile::Write(std::string_view data) {
  if (std::fwrite(data.data(), 1, data.size(), file_) != data.size()) Fail("cannot write");
}

void AtomicFile::Commit() {
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fflush(file) != 0) {
    std::fclose(file);
    Fail("cannot write");
  }
  if (std::fclose(file) != 0) Fail("cannot write");
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) Fail("cannot replace");
  temporary_.clear();
}

}  // namespace cli
