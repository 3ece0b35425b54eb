// The SVG folder and the HTML page as writers of the run.
#include "batch/pictures_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <istream>
#include <stdexcept>

#include "batch/pictures_data.h"
#include "batch/pictures_sweep.h"

namespace orowan::batch {

namespace pics = orowan::pictures;

// A picture output that stops at its first failure, which it reports once.
// The flag is read in the parallel stage, so that nothing more is drawn.
class PictureWriter : public ResultWriter {
 public:
  PictureWriter(std::FILE* messages, std::string consequence)
      : messages_(messages), consequence_(std::move(consequence)) {}
  bool failed() const { return failed_.load(std::memory_order_relaxed); }

 protected:
  void fail(const std::string& what) {
    if (failed()) return;
    std::fprintf(messages_, "orowan-batch: %s (%s)\n", printable(what).c_str(), consequence_.c_str());
    failed_.store(true, std::memory_order_relaxed);
  }

 private:
  std::FILE* messages_;
  std::string consequence_;
  std::atomic<bool> failed_{false};
};

namespace {

[[noreturn]] void fail(const std::string& path, const char* what) {
  throw std::runtime_error(path + ": " + what + ": " + std::strerror(errno));
}

// The folder, unless it exists. Its parent must exist, as for -o and
// --html: creating parents could take a name meant for another output.
void makeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) fail(path, "cannot create the directory");
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) fail(path, "cannot create the directory");
  if (!S_ISDIR(status.st_mode)) throw std::runtime_error(path + ": cannot create the directory: a file of that name exists");
}

// A file can be made in `dir` (tried with a temporary that is removed).
void checkWritable(const std::string& dir) {
  std::string probe = dir + "/.orowan-batch-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) fail(dir, "cannot write into the directory");
  ::close(fd);
  ::unlink(probe.c_str());
}

// A pass's file: "line0007.svg", in a sweep "line0007-case03-U0.15-SGF2.5.svg".
std::string passFileName(const PassJob& job, RecordId id, const Sweep& sweep, int lineDigits) {
  std::string name = recordStem(id, lineDigits);
  if (sweep.empty()) return name + ".svg";
  name += "-case" + padded(job.caseNumber, digitCount(sweep.caseCount()));
  for (const Vary& vary : sweep.varies()) {
    name += "-" + std::string(inputColumns()[vary.column].name) + vary.texts[sweep.valueIndex(vary, job.caseNumber - 1)];
  }
  return name + ".svg";
}

// --svg DIR: a friction hill per pass that has one, then the sweep charts.
class SvgFolder : public PictureWriter {
 public:
  SvgFolder(const PictureSettings& settings, const SweepCollector* charts)
      : PictureWriter(settings.messages, "no further SVG files are written"),
        dir_(settings.svgDir), sweep_(*settings.sweep), lineDigits_(settings.lineDigits), charts_(charts) {}

  void begin() override {
    attempt([&] {
      makeDirectory(dir_);
      checkWritable(dir_);
    });
  }
  void render(const PassJob& job, std::string& text) const override {
    if (!failed() && hasHill(job)) text = pics::frictionHillSvg(frictionHill(job, sweep_));
  }
  void write(const PassJob& job, const std::string& text) override {
    const RecordId id = records_.next(job);
    if (!text.empty()) save(passFileName(job, id, sweep_, lineDigits_), text);
  }
  void end() override {
    if (charts_) charts_->forEachChart([&](const SweepChart& c) { save(c.fileName, pics::chartSvg(c.chart)); });
  }

 private:
  // Each file whole or not at all, as the result file.
  void save(const std::string& name, const std::string& text) {
    attempt([&] {
      OutputFile file(dir_ + "/" + name);
      file.write(text);
      file.commit();
    });
  }
  template <class Step>
  void attempt(Step step) {
    if (failed()) return;
    try {
      step();
    } catch (const std::exception& e) {
      fail(e.what());
    }
  }

  std::string dir_;
  const Sweep& sweep_;
  int lineDigits_;
  const SweepCollector* charts_;
  RecordCounter records_;
};

// A stream buffer that keeps the first failure's message: an ostream
// copying from another buffer (`out << in.rdbuf()`) swallows exceptions,
// so the page asks for the message afterwards.
class RecordingBuffer : public std::streambuf {
 public:
  const std::string& error() const { return error_; }

 protected:
  // Runs `step`; a failure is recorded, then passed on.
  template <class Step>
  void recorded(Step step) {
    try {
      step();
    } catch (const std::exception& e) {
      if (error_.empty()) error_ = e.what();
      throw;
    }
  }

 private:
  std::string error_;
};

// An ostream's bytes into an OutputFile, which buffers them and names the
// file in its errors (the stream rethrows them: exceptions(badbit)).
class OutputFileBuffer : public RecordingBuffer {
 public:
  explicit OutputFileBuffer(OutputFile& out) : out_(out) {}

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) recorded([&] { out_.put(traits_type::to_char_type(c)); });
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    recorded([&] { out_.write(s, static_cast<std::size_t>(n)); });
    return n;
  }

 private:
  OutputFile& out_;
};

// The pass sections of a sweep's page until the charts are drawn: a
// temporary file that has no name, so that nothing is left behind however
// the run ends, beside the page or, for a device, in the temporary
// folder. Its failures name the page and give the system's reason.
class SpoolBuffer : public RecordingBuffer {
 public:
  SpoolBuffer(const std::string& stem, const std::string& page) : page_(page) {
    std::string name = stem + ".spool-XXXXXX";
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) fail(page_, "cannot create a temporary file beside it");
    ::unlink(name.c_str());
  }
  ~SpoolBuffer() override { ::close(fd_); }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    recorded([&] { writeAll(s, static_cast<std::size_t>(n)); });
    return n;
  }
  int_type underflow() override {
    ssize_t n = 0;
    recorded([&] {
      do n = ::read(fd_, input_, sizeof input_);
      while (n < 0 && errno == EINTR);
      if (n < 0) fail(page_, "cannot read its temporary file");
    });
    if (n == 0) return traits_type::eof();
    setg(input_, input_, input_ + n);
    return traits_type::to_int_type(input_[0]);
  }
  pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
    setg(nullptr, nullptr, nullptr);
    return ::lseek(fd_, static_cast<off_t>(pos), SEEK_SET) < 0 ? pos_type(off_type(-1)) : pos;
  }

 private:
  void writeAll(const char* s, std::size_t n) {
    for (std::size_t done = 0; done < n;) {
      const ssize_t written = ::write(fd_, s + done, n - done);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) fail(page_, "cannot write");
      done += static_cast<std::size_t>(written);
    }
  }

  std::string page_;
  int fd_ = -1;
  char input_[1 << 16];
};

// The run's inputs at the top of the page.
pics::ReportHeader pageHeader(const PictureSettings& settings) {
  pics::ReportHeader header;
  header.title = "orowan-batch: " + settings.inputName;
  header.date = runDate();
  header.inputs = {{"command line", settings.commandLine, ""}, {"input file", settings.inputName, ""}};
  header.inputs.push_back({"units", settings.units == Units::si ? "SI: MPa, kN/m, kN·m/m"
                                                                : "kgf: kgf/mm², kgf/mm, t/m, t·m/m", ""});
  for (const Vary& vary : settings.sweep->varies()) {
    header.inputs.push_back({std::string("varied ") + inputColumns()[vary.column].name,
                             vary.texts.front() + " to " + vary.texts.back() + ", " +
                                 std::to_string(vary.texts.size()) + " values",
                             displayUnit(inputColumns()[vary.column].unit, settings.units)});
  }
  return header;
}

// --html FILE: the page, written whole or not at all. In a sweep the pass
// sections wait in a spool file until the charts, drawn at the end, are
// written before them.
class HtmlPage : public PictureWriter {
 public:
  HtmlPage(const PictureSettings& settings, const SweepCollector* charts)
      : PictureWriter(settings.messages, "the HTML page is not written"), settings_(settings),
        sweep_(*settings.sweep), charts_(charts) {}

  void begin() override;
  void render(const PassJob& job, std::string& text) const override;
  void write(const PassJob& job, const std::string& text) override {
    attempt([&] {
      std::string heading = passName(job, sweep_);
      heading[0] = 'L';
      report_->passSection(text, heading, passIndexCells(job));
    });
  }
  void end() override;

 private:
  template <class Step>
  void attempt(Step step) {
    if (failed()) return;
    try {
      step();
    } catch (const std::exception& e) {
      fail(firstError(e.what()));
      report_.reset();
      file_.reset();  // removes the temporary: no partial page
    }
  }
  // The first failure of the page's or the spool's file, else `fallback`.
  std::string firstError(const std::string& fallback) const {
    for (const RecordingBuffer* buffer : {static_cast<const RecordingBuffer*>(buffer_.get()),
                                          static_cast<const RecordingBuffer*>(spoolBuffer_.get()),
                                          static_cast<const RecordingBuffer*>(indexBuffer_.get())}) {
      if (buffer != nullptr && !buffer->error().empty()) return buffer->error();
    }
    return fallback;
  }

  const PictureSettings& settings_;
  const Sweep& sweep_;
  const SweepCollector* charts_;
  std::unique_ptr<OutputFile> file_;
  std::unique_ptr<OutputFileBuffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
  std::unique_ptr<SpoolBuffer> spoolBuffer_;
  std::unique_ptr<std::iostream> spool_;
  std::unique_ptr<SpoolBuffer> indexBuffer_;  // the index's rows, which come before the sections
  std::unique_ptr<std::iostream> index_;
  std::unique_ptr<pics::ReportWriter> report_;
};

// A folder of that name could only be replaced at the end, so it is
// refused before the run.
void HtmlPage::begin() {
  attempt([&] {
    struct stat status {};
    const std::string& path = settings_.htmlPath;
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) throw std::runtime_error(path + ": is a directory");
    file_ = std::make_unique<OutputFile>(path);
    buffer_ = std::make_unique<OutputFileBuffer>(*file_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    stream_->exceptions(std::ios::badbit);
    // the sections wait for the index (and a sweep's charts) to come first
    spoolBuffer_ = std::make_unique<SpoolBuffer>(file_->scratchStem(), path);
    spool_ = std::make_unique<std::iostream>(spoolBuffer_.get());
    spool_->exceptions(std::ios::badbit);
    indexBuffer_ = std::make_unique<SpoolBuffer>(file_->scratchStem(), path);
    index_ = std::make_unique<std::iostream>(indexBuffer_.get());
    index_->exceptions(std::ios::badbit);
    report_ = std::make_unique<pics::ReportWriter>(*stream_, *spool_);
    report_->indexPasses(passIndexColumns(settings_.units), *index_);
    report_->begin(pageHeader(settings_));
  });
}

void HtmlPage::render(const PassJob& job, std::string& text) const {
  if (failed()) return;
  const pics::FrictionHill hill = hasHill(job) ? frictionHill(job, sweep_) : pics::FrictionHill{};
  text = pics::passSectionBody(passReport(job, sweep_, &hill, settings_.htmlSteps));
}

void HtmlPage::end() {
  attempt([&] {
    if (charts_) charts_->forEachChart([&](const SweepChart& c) { report_->chart(c.chart); });
    report_->end();
    stream_->flush();
    // A failure inside the copy of the spool leaves only the stream's state.
    if (stream_->fail() || spool_->fail() || index_->fail()) throw std::runtime_error(settings_.htmlPath + ": cannot write");
    file_->commit();
  });
}

}  // namespace

PictureOutputs::PictureOutputs(const PictureSettings& settings) : settings_(settings) {
  const bool sweep = !settings_.sweep->empty();
  if (sweep && (!settings_.svgDir.empty() || !settings_.htmlPath.empty())) {
    sweep_ = std::make_unique<SweepCollector>(*settings_.sweep, settings_.lineDigits);
    writers_.push_back(sweep_.get());
  }
  if (!settings_.svgDir.empty()) outputs_.push_back(std::make_unique<SvgFolder>(settings_, sweep_.get()));
  if (!settings_.htmlPath.empty()) outputs_.push_back(std::make_unique<HtmlPage>(settings_, sweep_.get()));
  for (auto& output : outputs_) writers_.push_back(output.get());
}

PictureOutputs::~PictureOutputs() = default;

bool PictureOutputs::failed() const {
  return std::any_of(outputs_.begin(), outputs_.end(), [](const auto& output) { return output->failed(); });
}

int lineNumberDigits(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return 10;
  long count = 1;
  char buffer[1 << 16];
  off_t offset = 0;
  for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, offset)) > 0; offset += n) {
    count += std::count(buffer, buffer + n, '\n') + std::count(buffer, buffer + n, '{');
  }
  return std::max(4, digitCount(count));
}

std::string runDate() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch != nullptr && *epoch != '\0') {
    now = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
    ::gmtime_r(&now, &parts);
  } else {
    ::localtime_r(&now, &parts);
  }
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &parts));
}

}  // namespace orowan::batch
