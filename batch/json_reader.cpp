// The element scanner: depth counting outside strings, escapes inside
// them, line counting throughout.
#include "batch/json_reader.h"

namespace orowan::batch {
namespace {

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool startsNumber(int c) { return c == '-' || (c >= '0' && c <= '9'); }
bool inNumber(int c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}
bool endsScalar(int c) { return c < 0 || isBlank(c) || c == ',' || c == ']' || c == '}'; }

void keep(JsonElement& element, int c) {
  if (element.excerpt.size() < 40) element.excerpt.push_back(static_cast<char>(c));
  if (element.text.size() < JsonArrayReader::kMaxElementBytes) {
    element.text.push_back(static_cast<char>(c));
  } else if (element.problem.empty()) {
    element.problem = "an element longer than 65536 bytes";
  }
}

}  // namespace

JsonArrayReader::JsonArrayReader(ByteSource& source) : in_(source) {
  if (in_.peek() == 0xEF) {  // a byte order mark
    for (int i = 0; i < 3 && (in_.peek() == 0xEF || in_.peek() == 0xBB || in_.peek() == 0xBF); ++i) {
      take();
    }
  }
}

int JsonArrayReader::take() {
  const int c = in_.get();
  if (c >= 0) ++offset_;
  return c;
}

void JsonArrayReader::skipBlanks() {
  while (isBlank(in_.peek())) {
    if (take() == '\n') ++line_;
  }
}

// The rest of a string after its opening quote, the closing quote too.
void JsonArrayReader::captureString(JsonElement& element) {
  for (int c = take(); c >= 0; c = take()) {
    keep(element, c);
    if (c == '\n') ++line_;
    if (c == '"') return;
    if (c == '\\' && in_.peek() >= 0) {
      const int escaped = take();  // a line end here is still a line
      keep(element, escaped);
      if (escaped == '\n') ++line_;
    }
  }
}

// One value: a scalar up to its end, or an object or array up to its
// closing bracket. False when the input ends inside it.
bool JsonArrayReader::capture(JsonElement& element) {
  element.object = in_.peek() == '{';
  int depth = 0;
  for (int c = in_.peek(); c >= 0; c = in_.peek()) {
    if (depth == 0 && !element.text.empty() && endsScalar(c)) return true;
    take();
    keep(element, c);
    if (c == '\n') ++line_;
    if (c == '"') {
      captureString(element);
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth <= 0) return true;
    } else if (startsNumber(c)) {
      // The parser gets "0" in its place: the text itself is read later
      // as a typed REAL, whatever its range or form.
      element.text.back() = '0';
      std::string& number = element.numberTexts.emplace_back(1, static_cast<char>(c));
      while (inNumber(in_.peek())) {
        number.push_back(static_cast<char>(take()));
        if (element.excerpt.size() < 40) element.excerpt.push_back(number.back());
      }
    }
  }
  if (depth > 0 || element.text.empty()) {
    element.problem = "the input ends inside an element of the array";
    return false;
  }
  return true;
}

// After an element: a comma, or the closing bracket. A problem here is
// kept for the next call, so that the element itself is still read.
bool JsonArrayReader::separator() {
  skipBlanks();
  const int c = take();
  afterComma_ = c == ',';
  if (c == ',') {
    skipBlanks();  // to see whether the next element starts on this line
    nextSharesLine_ = line_ == lastLine_;
    return true;
  }
  if (c == ']') return endOfArray();
  pending_ = c < 0 ? "the input ends before the array's closing ]"
                   : "expected , or ] after an element of the array";
  pendingLine_ = line_;
  pendingOffset_ = offset_;
  state_ = State::done;
  return true;
}

// After the closing bracket only blanks may follow.
bool JsonArrayReader::endOfArray() {
  state_ = State::done;
  skipBlanks();
  if (in_.peek() >= 0) {
    pending_ = "text after the array's closing ]";
    pendingLine_ = line_;
    pendingOffset_ = offset_;
  }
  return true;
}

bool JsonArrayReader::next(JsonElement& element) {
  element.text.clear();
  element.excerpt.clear();
  element.numberTexts.clear();
  element.problem.clear();
  element.object = false;
  element.index = element.offset = 0;
  element.sharesLine = element.nextSharesLine = element.indexed = element.follows = false;
  if (!pending_.empty()) {
    // after the last element: in a minified array, placed at its index
    element.index = elements_;
    element.indexed = indexed_;
    element.offset = pendingOffset_;
    element.follows = true;
    element.line = pendingLine_;
    element.problem = std::move(pending_);
    pending_.clear();
    return true;
  }
  if (state_ == State::start && !openArray(element)) return !element.problem.empty();
  if (state_ == State::done) return false;
  skipBlanks();
  element.line = line_;
  element.offset = offset_;
  const int c = in_.peek();
  if (c == ']' && !afterComma_) {
    take();
    endOfArray();
    return next(element);
  }
  element.index = ++elements_;
  element.sharesLine = elements_ > 1 && line_ == lastLine_;
  element.indexed = indexed_;
  if (c == ',' || c == ']' || c < 0) {
    element.problem = c < 0 ? "the input ends before the array's closing ]"
                            : "expected an element of the array";
    state_ = State::done;
    return true;
  }
  if (!capture(element)) return (state_ = State::done, true);
  lastLine_ = line_;
  nextSharesLine_ = false;
  separator();
  element.nextSharesLine = nextSharesLine_;
  // A minified array from its first line on: its elements are counted,
  // the first one's line 1 being its index 1 too.
  if (elements_ == 1) indexed_ = element.indexed = element.line == 1 && lastLine_ == 1 && nextSharesLine_;
  return true;
}

// The opening bracket; false with a problem when something else stands
// there, false without one for an empty input.
bool JsonArrayReader::openArray(JsonElement& element) {
  skipBlanks();
  element.line = line_;
  state_ = State::done;
  if (in_.peek() < 0) return false;
  if (take() != '[') {
    element.problem = "expected a JSON array of passes ([ ... ])";
    return false;
  }
  state_ = State::element;
  return true;
}

}  // namespace orowan::batch
